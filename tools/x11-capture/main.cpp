// talvex-x11-capture: a screenshot of one top-level window on an X display,
// with the Direct3D picture that wine keeps off screen put where it belongs.
//
//     talvex-x11-capture "TALVEX demo" demo.png
//
// Wine 8 draws Direct3D into a child window through an X window of its own
// that it parks, redirected by XComposite, under a 1 x 1 window at (-1, -1),
// and is meant to copy each presented frame into the top-level window. Under
// Xvfb that copy is lost (it goes to drawable 0), so a plain grab of the screen
// shows the chart black. The frame itself is intact in the redirected window:
// this tool reads it from there and lays it over the screen grab at the
// top-left of the window's client area, where the demo keeps its chart.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../common/picture_files.h"

namespace {

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
};

// The window's children, and its parent through the pointer when given.
std::vector<Window> Children(Display* display, Window window, Window* parentOut = nullptr) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        result.assign(children, children + count);
        if (children) XFree(children);
    }
    if (parentOut) *parentOut = parent;
    return result;
}

bool HasTitle(Display* display, Window window, const std::string& title) {
    char* name = nullptr;
    bool match = XFetchName(display, window, &name) && name && title == name;
    if (name) XFree(name);
    return match;
}

Window FindTitled(Display* display, Window window, const std::string& title) {
    if (HasTitle(display, window, title)) return window;
    for (Window child : Children(display, window)) {
        if (Window found = FindTitled(display, child, title)) return found;
    }
    return 0;
}

// The window's place on the screen (its absolute top-left corner and size).
Box ScreenBox(Display* display, Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    Box box{0, 0, attributes.width, attributes.height};
    Window unused = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &box.x, &box.y, &unused);
    return box;
}

// The largest window parked under a 1 x 1 window at (-1, -1): the X window
// that holds what Direct3D presented to the chart.
Window FindParkedPicture(Display* display, Window root) {
    Window best = 0;
    long bestArea = 0;
    for (Window top : Children(display, root)) {
        XWindowAttributes parking{};
        if (!XGetWindowAttributes(display, top, &parking)) continue;
        if (parking.x != -1 || parking.y != -1 || parking.width != 1 || parking.height != 1) continue;
        for (Window child : Children(display, top)) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display, child, &attributes)) continue;
            long area = static_cast<long>(attributes.width) * attributes.height;
            if (attributes.map_state == IsViewable && area > bestArea) {
                best = child;
                bestArea = area;
            }
        }
    }
    return best;
}

// Copies the window's own contents (for a redirected window, its pixmap) into
// the picture at (left, top), clipped to the picture.
bool Paste(Display* display, Window window, Picture& picture, int left, int top) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return false;
    XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return false;
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            int px = left + x, py = top + y;
            if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) continue;
            picture.pixels[static_cast<size_t>(py) * picture.width + px] =
                static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
        }
    }
    XDestroyImage(image);
    return true;
}

Picture Crop(const Picture& picture, Box box) {
    int right = std::min(box.x + box.width, picture.width), bottom = std::min(box.y + box.height, picture.height);
    box.x = std::max(box.x, 0);
    box.y = std::max(box.y, 0);
    Picture cropped;
    cropped.width = std::max(right - box.x, 0);
    cropped.height = std::max(bottom - box.y, 0);
    for (int y = box.y; y < box.y + cropped.height; ++y) {
        for (int x = box.x; x < box.x + cropped.width; ++x) {
            cropped.pixels.push_back(picture.pixels[static_cast<size_t>(y) * picture.width + x]);
        }
    }
    return cropped;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: talvex-x11-capture WINDOW-TITLE OUT.png\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "talvex-x11-capture: cannot open the display\n");
        return 1;
    }
    Window root = DefaultRootWindow(display);
    Window window = FindTitled(display, root, argv[1]);
    if (!window) {
        std::fprintf(stderr, "talvex-x11-capture: no window titled \"%s\"\n", argv[1]);
        return 1;
    }
    // With a window manager the title belongs to the client area, and the
    // frame around it is the ancestor just below the root.
    Window frame = window;
    for (;;) {
        Window parent = 0;
        Children(display, frame, &parent);
        if (parent == 0 || parent == root) break;
        frame = parent;
    }

    // Window managers move windows after they first paint, and the parked
    // picture does not survive that; an exposure makes wine paint the window
    // (and so present the chart) again before the grab.
    XClearArea(display, window, 0, 0, 0, 0, True);
    XSync(display, False);
    usleep(1500 * 1000);

    Picture screen;
    Box screenBox = ScreenBox(display, root);
    screen.width = screenBox.width;
    screen.height = screenBox.height;
    screen.pixels.assign(static_cast<size_t>(screen.width) * screen.height, 0);
    if (!Paste(display, root, screen, 0, 0)) {
        std::fprintf(stderr, "talvex-x11-capture: cannot read the screen\n");
        return 1;
    }
    Window picture = FindParkedPicture(display, root);
    if (!picture) {
        std::fprintf(stderr, "talvex-x11-capture: no Direct3D picture found\n");
        return 1;
    }
    Box client = ScreenBox(display, window);
    Paste(display, picture, screen, client.x, client.y);
    Picture shot = Crop(screen, ScreenBox(display, frame));
    if (!WritePng(argv[2], shot)) {
        std::fprintf(stderr, "talvex-x11-capture: cannot write %s\n", argv[2]);
        return 1;
    }
    XCloseDisplay(display);
    return 0;
}
