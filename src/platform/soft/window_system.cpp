// The in-process window system of the native platform: windows in a tree,
// classes with their procedures, user data, visibility, invalidation, the
// mouse capture and the asynchronous key state, as User32 offers them to the
// chart, plus the host side of talvex_window.h.
//
// Several threads may each drive their own windows at the same time: every
// piece of shared state is read and written under one lock, which is never
// held while a window procedure runs (a procedure calls back in). As in
// User32, a window belongs to the thread that created it, which alone gets
// its paint messages, and each thread has its own mouse capture.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/soft/native_window.h"
#include "talvex_window.h"

#define NATIVE_EXPORT __attribute__((visibility("default")))

struct TalvexNativeWindow {
    std::string className;
    talvex::window::WindowProcedure procedure = nullptr;
    TalvexNativeWindow* parent = nullptr;
    std::vector<TalvexNativeWindow*> children;
    intptr_t id = 0;
    intptr_t userData = 0;
    std::thread::id owner = std::this_thread::get_id();
    bool visible = false;
    bool needsPaint = false;
    int32_t x = 0, y = 0, width = 0, height = 0;
    std::vector<uint32_t> picture;
    int32_t pictureWidth = 0, pictureHeight = 0;
};

namespace {

struct WindowSystem {
    std::mutex lock;
    std::map<std::string, talvex::window::WindowClass> classes;
    std::vector<std::unique_ptr<TalvexNativeWindow>> windows;
    // The window holding each thread's mouse capture.
    std::map<std::thread::id, TalvexNativeWindow*> captures;
    bool keys[256] = {};
};

WindowSystem& System() {
    static WindowSystem system;
    return system;
}

// Held by every operation on the shared state; the helpers below expect it.
using Locked = std::lock_guard<std::mutex>;
Locked Lock() { return Locked(System().lock); }

bool Exists(TalvexNativeWindow* window) {
    if (window == nullptr) return false;
    for (const auto& w : System().windows)
        if (w.get() == window) return true;
    return false;
}

TalvexNativeWindow* CaptureOfThisThread() {
    const auto found = System().captures.find(std::this_thread::get_id());
    return found != System().captures.end() ? found->second : nullptr;
}

void Destroy(TalvexNativeWindow* window) {
    while (!window->children.empty()) Destroy(window->children.back());
    if (window->parent != nullptr) {
        auto& siblings = window->parent->children;
        siblings.erase(std::find(siblings.begin(), siblings.end(), window));
    }
    auto& captures = System().captures;
    for (auto it = captures.begin(); it != captures.end();)
        it = it->second == window ? captures.erase(it) : std::next(it);
    auto& windows = System().windows;
    windows.erase(std::find_if(windows.begin(), windows.end(), [window](const auto& w) { return w.get() == window; }));
}

TalvexNativeWindow* Make(TalvexNativeWindow* parent) {
    auto window = std::make_unique<TalvexNativeWindow>();
    window->parent = parent;
    TalvexNativeWindow* raw = window.get();
    System().windows.push_back(std::move(window));
    if (parent != nullptr) parent->children.push_back(raw);
    return raw;
}

}  // namespace

namespace talvex::window {

NATIVE_EXPORT uint16_t RegisterClass(const WindowClass& windowClass) {
    if (windowClass.className == nullptr) return 0;
    const auto lock = Lock();
    auto& classes = System().classes;
    if (classes.count(windowClass.className) != 0) return 0;  // already registered
    classes[windowClass.className] = windowClass;
    return static_cast<uint16_t>(classes.size());
}

NATIVE_EXPORT WindowHandle CreateWindowEx(uint32_t, const char* className, const char*, uint32_t, int32_t x,
                                          int32_t y, int32_t width, int32_t height, WindowHandle parent,
                                          intptr_t menuOrId, InstanceHandle, void*) {
    if (className == nullptr) return nullptr;
    const auto lock = Lock();
    auto found = System().classes.find(className);
    if (found == System().classes.end()) return nullptr;
    if (parent != nullptr && !Exists(parent)) return nullptr;
    TalvexNativeWindow* window = Make(parent);
    window->className = className;
    window->procedure = found->second.procedure;
    window->id = menuOrId;
    window->x = x;
    window->y = y;
    window->width = width;
    window->height = height;
    return window;
}

NATIVE_EXPORT intptr_t SetUserData(WindowHandle window, intptr_t value) {
    const auto lock = Lock();
    if (!Exists(window)) return 0;
    const intptr_t previous = window->userData;
    window->userData = value;
    return previous;
}

NATIVE_EXPORT intptr_t GetUserData(WindowHandle window) {
    const auto lock = Lock();
    return Exists(window) ? window->userData : 0;
}

NATIVE_EXPORT int32_t ShowWindow(WindowHandle window, int32_t command) {
    const auto lock = Lock();
    if (!Exists(window)) return 0;
    const bool wasVisible = window->visible;
    window->visible = command != kShowHide;
    if (window->visible && !wasVisible) window->needsPaint = true;
    return wasVisible ? 1 : 0;
}

NATIVE_EXPORT int32_t MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                                 int32_t repaint) {
    const auto lock = Lock();
    if (!Exists(window)) return 0;
    window->x = x;
    window->y = y;
    window->width = width;
    window->height = height;
    if (repaint != 0) window->needsPaint = true;
    return 1;
}

NATIVE_EXPORT int32_t InvalidateRect(WindowHandle window, const TalvexRect*, int32_t) {
    const auto lock = Lock();
    if (!Exists(window)) return 0;
    window->needsPaint = true;
    return 1;
}

NATIVE_EXPORT int32_t ValidateRect(WindowHandle window, const TalvexRect*) {
    const auto lock = Lock();
    if (!Exists(window)) return 0;
    window->needsPaint = false;
    return 1;
}

NATIVE_EXPORT int32_t IsWindow(WindowHandle window) {
    const auto lock = Lock();
    return Exists(window) ? 1 : 0;
}

NATIVE_EXPORT int32_t DestroyWindow(WindowHandle window) {
    // Looked for and destroyed under one lock: another thread's window may
    // take the address between a look and a destroy made apart.
    const auto lock = Lock();
    if (!Exists(window)) return 0;
    Destroy(window);
    return 1;
}

NATIVE_EXPORT WindowHandle SetCapture(WindowHandle window) {
    const auto lock = Lock();
    TalvexNativeWindow* previous = CaptureOfThisThread();
    if (Exists(window)) System().captures[std::this_thread::get_id()] = window;
    else System().captures.erase(std::this_thread::get_id());
    return previous;
}

NATIVE_EXPORT int32_t ReleaseCapture() {
    const auto lock = Lock();
    System().captures.erase(std::this_thread::get_id());
    return 1;
}

NATIVE_EXPORT WindowHandle GetCapture() {
    const auto lock = Lock();
    return CaptureOfThisThread();
}

NATIVE_EXPORT int16_t GetAsyncKeyState(int32_t key) {
    if (key < 0 || key > 255) return 0;
    const auto lock = Lock();
    return System().keys[key] ? static_cast<int16_t>(0x8000) : 0;
}

NATIVE_EXPORT LResult DefWindowProc(WindowHandle window, uint32_t message, WParam, LParam) {
    // Painting validates the window, as BeginPaint and EndPaint would.
    const auto lock = Lock();
    if (message == kPaint && Exists(window)) window->needsPaint = false;
    return 0;
}

void PresentPicture(WindowHandle window, std::vector<uint32_t>& picture, int32_t width, int32_t height) {
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (width <= 0 || height <= 0 || picture.size() != size) return;
    {
        // Frame after frame of one size the two buffers trade places.
        const auto lock = Lock();
        if (!Exists(window)) return;
        if (window->picture.size() == size) {
            window->picture.swap(picture);
            window->pictureWidth = width;
            window->pictureHeight = height;
            return;
        }
    }
    std::vector<uint32_t> copy(picture);  // made outside the lock
    const auto lock = Lock();
    if (!Exists(window)) return;
    window->picture.swap(copy);
    window->pictureWidth = width;
    window->pictureHeight = height;
}

}  // namespace talvex::window

extern "C" {

NATIVE_EXPORT TalvexWindow talvex_window_create(int32_t width, int32_t height) {
    const auto lock = Lock();
    TalvexNativeWindow* window = Make(nullptr);
    window->className = "host";
    window->visible = true;
    window->width = width;
    window->height = height;
    return window;
}

NATIVE_EXPORT void talvex_window_destroy(TalvexWindow window) {
    const auto lock = Lock();
    if (Exists(window)) Destroy(window);
}

NATIVE_EXPORT TalvexWindow talvex_window_find_child(TalvexWindow parent, int32_t id) {
    const auto lock = Lock();
    if (!Exists(parent)) return nullptr;
    // The newest child with the identifier, as a host that re-created it expects.
    for (auto it = parent->children.rbegin(); it != parent->children.rend(); ++it)
        if ((*it)->id == id) return *it;
    return nullptr;
}

NATIVE_EXPORT intptr_t talvex_window_send(TalvexWindow window, uint32_t message, TalvexWParam wParam,
                                          TalvexLParam lParam) {
    talvex::window::WindowProcedure procedure = nullptr;
    {
        const auto lock = Lock();
        if (!Exists(window)) return 0;
        procedure = window->procedure;
    }
    // The procedure runs without the lock: it calls back into the window system.
    if (procedure == nullptr) return talvex::window::DefWindowProc(window, message, wParam, lParam);
    return procedure(window, message, wParam, lParam);
}

NATIVE_EXPORT int32_t talvex_window_run_paints(void) {
    std::vector<TalvexNativeWindow*> pending;
    {
        const auto lock = Lock();
        for (const auto& w : System().windows)
            if (w->owner == std::this_thread::get_id() && w->visible && w->needsPaint) pending.push_back(w.get());
    }
    int32_t sent = 0;
    for (TalvexNativeWindow* window : pending) {
        {
            // An earlier paint may have destroyed it.
            const auto lock = Lock();
            if (!Exists(window)) continue;
        }
        talvex_window_send(window, talvex::window::kPaint, 0, 0);
        ++sent;
    }
    return sent;
}

NATIVE_EXPORT void talvex_window_set_key_state(int32_t key, int32_t down) {
    if (key < 0 || key >= 256) return;
    const auto lock = Lock();
    System().keys[key] = down != 0;
}

NATIVE_EXPORT void talvex_window_picture_size(TalvexWindow window, int32_t* width, int32_t* height) {
    const auto lock = Lock();
    const bool known = Exists(window);
    if (width != nullptr) *width = known ? window->pictureWidth : 0;
    if (height != nullptr) *height = known ? window->pictureHeight : 0;
}

NATIVE_EXPORT int32_t talvex_window_read_picture(TalvexWindow window, uint32_t* pixels, int32_t count) {
    if (pixels == nullptr || count <= 0) return 0;
    const auto lock = Lock();
    if (!Exists(window)) return 0;
    const size_t n = std::min(window->picture.size(), static_cast<size_t>(count));
    std::memcpy(pixels, window->picture.data(), n * sizeof(uint32_t));
    return static_cast<int32_t>(n);
}

NATIVE_EXPORT int32_t talvex_window_is_visible(TalvexWindow window) {
    const auto lock = Lock();
    return Exists(window) && window->visible ? 1 : 0;
}

NATIVE_EXPORT const char* talvex_window_class_name(TalvexWindow window) {
    const auto lock = Lock();
    return Exists(window) ? window->className.c_str() : "";
}

NATIVE_EXPORT int32_t talvex_window_id(TalvexWindow window) {
    const auto lock = Lock();
    return Exists(window) ? static_cast<int32_t>(window->id) : 0;
}

NATIVE_EXPORT void talvex_window_rect(TalvexWindow window, int32_t* x, int32_t* y, int32_t* width,
                                      int32_t* height) {
    const auto lock = Lock();
    const bool known = Exists(window);
    if (x != nullptr) *x = known ? window->x : 0;
    if (y != nullptr) *y = known ? window->y : 0;
    if (width != nullptr) *width = known ? window->width : 0;
    if (height != nullptr) *height = known ? window->height : 0;
}

NATIVE_EXPORT int32_t talvex_window_needs_paint(TalvexWindow window) {
    const auto lock = Lock();
    return Exists(window) && window->needsPaint ? 1 : 0;
}

NATIVE_EXPORT TalvexWindow talvex_window_capture(void) {
    const auto lock = Lock();
    return CaptureOfThisThread();
}

}  // extern "C"
