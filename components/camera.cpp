#include "components/camera.h"

#include "components/backdrop.h"
#include "components/gl_api.h"

Camera::Camera() {}

Camera::~Camera() {}

void Camera::applyView()
{
    const float d = eyeDistance;
    gluLookAt(0.0, 0.0, d, 0.0, 0.0, d - 1, 0.0, 1.0, 0.0);
    glRotatef(-rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(-rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(-rotation.z, 0.0f, 0.0f, 1.0f);
    glTranslatef(-position.x, -position.y, -position.z);
}

void Camera::applyProjection(const Backdrop& backdrop)
{
    const double aspect = static_cast<double>(backdrop.width) /
                          ((1 - 2 * static_cast<double>(backdrop.letterbox)) *
                           static_cast<double>(backdrop.height));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, aspect, static_cast<double>(nearPlane), static_cast<double>(farPlane));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
