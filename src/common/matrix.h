// 4 x 4 single-precision matrices, row-major, applied to row vectors (p x M),
// as Direct3D does: the memory layout is the one the device takes.
#pragma once

namespace talvex {

struct Vector3 {
    float x, y, z;
};

struct Matrix {
    float m[4][4];

    static Matrix Identity();
    static Matrix Zero();
    static Matrix Scaling(float sx, float sy, float sz);
    static Matrix RotationX(float angle);
    static Matrix RotationY(float angle);
    // The left-handed look-at view from eye towards at with the given up.
    static Matrix LookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up);
    // The left-handed perspective projection with a vertical field of view.
    static Matrix PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
};

Matrix operator*(const Matrix& a, const Matrix& b);
// The point (v, 1) times m, divided by the resulting w.
Vector3 TransformCoord(const Vector3& v, const Matrix& m);

}  // namespace talvex
