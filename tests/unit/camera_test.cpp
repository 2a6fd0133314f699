#include "control_fixture.h"
#include "render/frame.h"

namespace {

TEST_F(NativeControl, CameraOfTheDefaultAndIsometricViews) {
    ASSERT_EQ(Init(), 0);
    talvex::render::Scene scene = control->Scene();
    talvex::render::SetupCamera(scene, control->View());
    const talvex::Matrix identityView = scene.viewMatrix;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(identityView.m[i][j], i == j ? 1.0f : 0.0f, 1e-6f) << i << j;
    EXPECT_NEAR(identityView.m[3][0], 0.0f, 1e-4f);
    EXPECT_NEAR(identityView.m[3][1], 0.0f, 1e-4f);
    EXPECT_NEAR(identityView.m[3][2], 240.0f, 1e-4f);
    EXPECT_EQ(identityView.m[3][3], 1.0f);
    EXPECT_EQ(scene.worldMatrix.m[0][0], 1.0f);

    TALVEX_ControlSetIsometricView(handle);
    TALVEX_ControlSetScale(handle, 100);
    talvex::render::SetupCamera(scene, control->View());
    const talvex::Matrix& view = scene.viewMatrix;
    // The view direction is the third column, up the second: the eye sits
    // 240 units back along the direction.
    const float eye[3] = {-240 * view.m[0][2], -240 * view.m[1][2], -240 * view.m[2][2]};
    EXPECT_NEAR(eye[0], 112.76f, 0.01f);
    EXPECT_NEAR(eye[1], 82.08f, 0.01f);
    EXPECT_NEAR(eye[2], -195.31f, 0.01f);
    EXPECT_NEAR(view.m[0][1], -0.1710f, 1e-4f);
    EXPECT_NEAR(view.m[1][1], 0.9397f, 1e-4f);
    EXPECT_NEAR(view.m[2][1], 0.2962f, 1e-4f);
    EXPECT_NEAR(view.m[3][0], 0.0f, 1e-4f);
    EXPECT_NEAR(view.m[3][1], 0.0f, 1e-4f);
    EXPECT_NEAR(view.m[3][2], 240.0f, 1e-3f);
    EXPECT_EQ(scene.worldMatrix.m[0][0], 2.0f) << "zoom 2 scales the world";
    EXPECT_EQ(scene.worldMatrix.m[2][2], 2.0f);
}

}  // namespace
