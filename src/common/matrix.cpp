#include "common/matrix.h"

#include <cmath>

namespace talvex {

namespace {

Vector3 Subtract(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vector3 Normalize(const Vector3& v) {
    const float length = std::sqrt(Dot(v, v));
    if (length == 0.0f) return v;
    return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

Matrix Matrix::Zero() {
    Matrix r{};
    return r;
}

Matrix Matrix::Identity() {
    Matrix r{};
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
}

Matrix Matrix::Scaling(float sx, float sy, float sz) {
    Matrix r = Identity();
    r.m[0][0] = sx;
    r.m[1][1] = sy;
    r.m[2][2] = sz;
    return r;
}

Matrix Matrix::RotationX(float angle) {
    Matrix r = Identity();
    const float c = std::cos(angle), s = std::sin(angle);
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Matrix Matrix::RotationY(float angle) {
    Matrix r = Identity();
    const float c = std::cos(angle), s = std::sin(angle);
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Matrix Matrix::LookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up) {
    const Vector3 zaxis = Normalize(Subtract(at, eye));
    // Up is made perpendicular to the view direction before the cross product.
    const float along = Dot(up, zaxis);
    const Vector3 yaxis =
        Normalize({up.x - along * zaxis.x, up.y - along * zaxis.y, up.z - along * zaxis.z});
    const Vector3 xaxis = Cross(yaxis, zaxis);
    Matrix r = Identity();
    r.m[0][0] = xaxis.x; r.m[1][0] = xaxis.y; r.m[2][0] = xaxis.z;
    r.m[0][1] = yaxis.x; r.m[1][1] = yaxis.y; r.m[2][1] = yaxis.z;
    r.m[0][2] = zaxis.x; r.m[1][2] = zaxis.y; r.m[2][2] = zaxis.z;
    r.m[3][0] = -Dot(eye, xaxis);
    r.m[3][1] = -Dot(eye, yaxis);
    r.m[3][2] = -Dot(eye, zaxis);
    return r;
}

Matrix Matrix::PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    Matrix r = Zero();
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    r.m[0][0] = yScale / aspect;
    r.m[1][1] = yScale;
    r.m[2][2] = zFar / (zFar - zNear);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zNear * zFar / (zFar - zNear);
    return r;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

Vector3 TransformCoord(const Vector3& v, const Matrix& m) {
    float out[4];
    for (int j = 0; j < 4; ++j)
        out[j] = v.x * m.m[0][j] + v.y * m.m[1][j] + v.z * m.m[2][j] + m.m[3][j];
    if (out[3] == 0.0f) return {out[0], out[1], out[2]};
    return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

}  // namespace talvex
