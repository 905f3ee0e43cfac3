#include "shell/renderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

void vertexWithOffset(const FaceRecord& record, int k, Vec3 offset) {
    const float* p = record.corner(k);
    glVertex3f(p[0] + offset.x, p[1] + offset.y, p[2] + offset.z);
}

// The carried colour as a level from 0 to 1: glColor3b takes a signed byte
// to level byte / 127.
float greyLevel(const CurrentGrey& grey) { return grey.isShade ? float(grey.shade) / 127.0f : grey.level; }

// No colour is sent: the texture is modulated by the current colour, which
// the last face drawn before set (the colour of segment 4's last face
// carries into the textured segments after it). A dimmed frame modulates
// by that colour times its brightest grey.
void drawTextured(const Scene& scene, const Scene& materials, const Wave& wave, const CurrentGrey& carried,
                  float brightest) {
    if (brightest < 1.0f) {
        const float level = greyLevel(carried) * brightest;
        glColor3f(level, level, level);
    }
    for (int i = 0; i < scene.getMeshCount(); ++i) {
        const Mesh* mesh = scene.getMesh(i);
        if (!mesh) continue;
        // A mesh whose material index names no material of the material
        // scene has nothing to bind: it is drawn untextured.
        const Material* material = materials.getMaterial(mesh->getMaterialIndex());
        if (material) {
            glEnable(GL_TEXTURE_2D);
            material->bindTexture();
        }
        glBegin(GL_TRIANGLES);
            for (int j = 0; j < mesh->getTriangleCount(); ++j) {
                const FaceRecord record = mesh->getFaceRecord(j);
                const Vec3 offset = waveOffset(wave, j);
                for (int k = 0; k < 3; ++k) {
                    glTexCoord2fv(record.cornerMapping(k));
                    vertexWithOffset(record, k, offset);
                }
            }
        glEnd();
        if (material) glDisable(GL_TEXTURE_2D);
    }
}

void drawWhite(const Scene& scene) {
    for (int i = 0; i < scene.getMeshCount(); ++i) {
        const Mesh* mesh = scene.getMesh(i);
        if (!mesh) continue;
        for (int j = 0; j < mesh->getTriangleCount(); ++j) {
            const FaceRecord record = mesh->getFaceRecord(j);
            glColor3f(1.0f, 1.0f, 1.0f);
            glBegin(GL_TRIANGLES);
                for (int k = 0; k < 3; ++k) {
                    glNormal3fv(record.cornerNormal(k));
                    glVertex3fv(record.corner(k));
                }
            glEnd();
        }
    }
}

// The strip is left open: of each triangle only the edges 0-1 and 1-2 show.
void drawOutline(const Scene& scene, const ShadeTable& shades, float brightest) {
    for (int i = 0; i < scene.getMeshCount(); ++i) {
        const Mesh* mesh = scene.getMesh(i);
        if (!mesh) continue;
        for (int j = 0; j < mesh->getTriangleCount(); ++j) {
            const FaceRecord record = mesh->getFaceRecord(j);
            const GLbyte shade = brightest < 1.0f ? GLbyte(float(shadeOfFace(shades, j)) * brightest)
                                                  : shadeOfFace(shades, j);
            glColor3b(shade, shade, shade);
            glBegin(GL_LINE_STRIP);
                for (int k = 0; k < 3; ++k) glVertex3fv(record.corner(k));
            glEnd();
        }
    }
}

void drawBanded(const Scene& scene, const Wave& wave, float white) {
    for (int i = 0; i < scene.getMeshCount(); ++i) {
        const Mesh* mesh = scene.getMesh(i);
        if (!mesh) continue;
        for (int j = 0; j < mesh->getTriangleCount(); ++j) {
            const FaceRecord record = mesh->getFaceRecord(j);
            const float grey = bandIsWhite(j) ? white : 0.0f;
            glColor3f(grey, grey, grey);
            glBegin(GL_TRIANGLES);
                const Vec3 offset = waveOffset(wave, j);
                for (int k = 0; k < 3; ++k) {
                    glNormal3fv(record.cornerNormal(k));
                    vertexWithOffset(record, k, offset);
                }
            glEnd();
        }
    }
}

}  // namespace

void initGraphicsState(ShellState& state) {
    const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat shininess[1] = {50.0f};
    const GLfloat lightPosition[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    const GLfloat lightDiffuse[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, shininess);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glShadeModel(GL_FLAT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    state.rotationZ = 0.0f;
    state.rotationY = 0.0f;
    state.rotationX = 0.0f;
    glEnable(GL_DEPTH_TEST);
}

void setViewport(const Viewport& viewport) {
    glViewport(viewport.left, viewport.bottom, viewport.width, viewport.height);
}

void reshapeView(int width, int height) {
    if (width == 0 || height == 0) return;
    setViewport(pictureViewport(width, height));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, double(width) / double(height), 0.1, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void restoreCarriedState(const ShellState& state) {
    const CurrentGrey& grey = state.colour;
    if (grey.isShade) {
        glColor3b(grey.shade, grey.shade, grey.shade);
    } else {
        glColor3f(grey.level, grey.level, grey.level);
    }
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    const TextureMatrix& texture = state.textureMatrix;
    if (texture.translated) glTranslatef(texture.translation.x, texture.translation.y, texture.translation.z);
    glMatrixMode(GL_MODELVIEW);
}

void drawPlan(const FramePlan& plan, const ShellState& state, const SceneTable& scenes) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // Every segment projects with aspect 4/3, whatever the window's shape.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(double(plan.fieldOfView), 4.0 / 3.0, 1.0, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // The texture matrix outlives the frame: what segment 5 leaves there
    // stays until a later segment resets it.
    if (plan.texture != TextureSetup::Keep) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        if (plan.texture == TextureSetup::Translate)
            glTranslatef(plan.textureTranslation.x, plan.textureTranslation.y, plan.textureTranslation.z);
        glMatrixMode(GL_MODELVIEW);
    }

    if (plan.view == ViewSetup::LookAt) {
        const LookAt& v = plan.lookAt;
        gluLookAt(v.eye[0], v.eye[1], v.eye[2], v.centre[0], v.centre[1], v.centre[2], v.up[0], v.up[1], v.up[2]);
    } else if (plan.view == ViewSetup::Translate) {
        glTranslatef(plan.translation.x, plan.translation.y, plan.translation.z);
    }
    if (plan.spin) {
        glRotatef(plan.spinAngles.x, 1.0f, 0.0f, 0.0f);
        glRotatef(plan.spinAngles.y, 0.0f, 1.0f, 0.0f);
        glRotatef(plan.spinAngles.z, 0.0f, 0.0f, 1.0f);
    }

    const Scene& scene = scenes.drawnIn(plan.segment, plan.scene);
    switch (plan.style) {
    case DrawStyle::Textured:
        drawTextured(scene, scenes.drawnIn(plan.segment, plan.materialScene), plan.wave, state.colour, plan.brightest);
        break;
    case DrawStyle::White:
        drawWhite(scene);
        break;
    case DrawStyle::Outline:
        drawOutline(scene, state.shadeTable, plan.brightest);
        break;
    case DrawStyle::Banded:
        drawBanded(scene, plan.wave, plan.brightest);
        break;
    case DrawStyle::Nothing:
        break;
    }
}
