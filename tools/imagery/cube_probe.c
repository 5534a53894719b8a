/* Asks the GL driver which cube-map texel it samples for each direction.
 *
 * Reads "x y z" lines on standard input and prints "face column row" for each, where face is
 * 0..5 in GL order (+X, -X, +Y, -Y, +Z, -Z). Each texel of a 1024x1024 cube map encodes its own
 * face, column and row; nearest filtering returns exactly the texel the driver picks. Used to
 * confirm cube.py's addressing against a real implementation (Mesa's software renderer works).
 *
 * Build: cc -O2 -o cube_probe cube_probe.c -lEGL -lGL
 */
#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <stdio.h>
#include <stdlib.h>

enum { SIZE = 1024, ROW = 256, MAXDIRS = 65536 };

static void fail(const char *what) {
    fprintf(stderr, "cube_probe: %s\n", what);
    exit(1);
}

static GLuint shader(GLenum type, const char *src) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &src, NULL);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(s, sizeof log, NULL, log);
        fprintf(stderr, "%s\n", log);
        fail("shader compilation failed");
    }
    return s;
}

int main(void) {
    static float dirs[MAXDIRS][4]; /* laid out in rows of ROW directions */
    int n = 0;
    while (n < MAXDIRS && scanf("%f %f %f", &dirs[n][0], &dirs[n][1], &dirs[n][2]) == 3) dirs[n++][3] = 0;
    if (n == 0) fail("no directions on standard input");
    const int rows = (n + ROW - 1) / ROW;

    PFNEGLGETPLATFORMDISPLAYEXTPROC getDisplay =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    EGLDisplay dpy = getDisplay ? getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, NULL)
                                : eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, NULL, NULL)) fail("no EGL display");
    eglBindAPI(EGL_OPENGL_API);
    const EGLint cfgAttr[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig cfg;
    EGLint count = 0;
    eglChooseConfig(dpy, cfgAttr, &cfg, 1, &count);
    const EGLint ctxAttr[] = {EGL_CONTEXT_MAJOR_VERSION, 4, EGL_CONTEXT_MINOR_VERSION, 3,
                              EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                              EGL_NONE};
    EGLContext ctx = eglCreateContext(dpy, count ? cfg : NULL, EGL_NO_CONTEXT, ctxAttr);
    if (ctx == EGL_NO_CONTEXT || !eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx))
        fail("no GL 4.3 core context");
    fprintf(stderr, "cube_probe: %s\n", (const char *)glGetString(GL_RENDERER));

    /* Texel value: R = column & 255, G = row & 255, B = column >> 8 | (row >> 8) << 2 | face << 4. */
    GLuint tex;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_CUBE_MAP, tex);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    unsigned char *pix = malloc(SIZE * SIZE * 4);
    for (int f = 0; f < 6; ++f) {
        for (int r = 0; r < SIZE; ++r)
            for (int c = 0; c < SIZE; ++c) {
                unsigned char *p = pix + 4 * (r * SIZE + c);
                p[0] = c & 255;
                p[1] = r & 255;
                p[2] = (c >> 8) | ((r >> 8) << 2) | (f << 4);
                p[3] = 255;
            }
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGBA, SIZE, SIZE, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, pix);
    }

    GLuint dirTex; /* directions as a float texture, fetched at the fragment's own pixel */
    glActiveTexture(GL_TEXTURE1);
    glGenTextures(1, &dirTex);
    glBindTexture(GL_TEXTURE_2D, dirTex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, ROW, rows, 0, GL_RGBA, GL_FLOAT, dirs);

    GLuint target, fbo;
    glGenRenderbuffers(1, &target);
    glBindRenderbuffer(GL_RENDERBUFFER, target);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, ROW, rows);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) fail("framebuffer");

    const char *vs = "#version 430 core\n"
                     "void main() { vec2 p[3] = vec2[](vec2(-1,-1), vec2(3,-1), vec2(-1,3));"
                     " gl_Position = vec4(p[gl_VertexID], 0, 1); }\n";
    const char *fs = "#version 430 core\n"
                     "layout(location = 0) uniform samplerCube uCube;\n"
                     "layout(location = 1) uniform sampler2D uDirs;\n"
                     "out vec4 colour;\n"
                     "void main() { vec3 d = texelFetch(uDirs, ivec2(gl_FragCoord.xy), 0).xyz;"
                     " colour = texture(uCube, d); }\n";
    GLuint prog = glCreateProgram();
    glAttachShader(prog, shader(GL_VERTEX_SHADER, vs));
    glAttachShader(prog, shader(GL_FRAGMENT_SHADER, fs));
    glLinkProgram(prog);
    glUseProgram(prog);
    glUniform1i(0, 0);
    glUniform1i(1, 1);
    GLuint vao;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glViewport(0, 0, ROW, rows);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    unsigned char *out = malloc((size_t)ROW * rows * 4);
    glReadPixels(0, 0, ROW, rows, GL_RGBA, GL_UNSIGNED_BYTE, out);
    for (int i = 0; i < n; ++i) {
        const unsigned char *p = out + 4 * i;
        printf("%d %d %d\n", p[2] >> 4, p[0] | (p[2] & 3) << 8, p[1] | ((p[2] >> 2) & 3) << 8);
    }
    return 0;
}
