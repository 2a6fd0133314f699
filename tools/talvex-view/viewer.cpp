#include "viewer.h"

#include <cstdio>
#include <cstdlib>

#include "../common/chart_messages.h"
#include "../common/data_options.h"
#include "../common/picture_files.h"
#include "talvex_native.h"
#include "talvex_window.h"

namespace {

const int32_t kChartId = 1;
const int32_t kShow = 5;  // SW_SHOW
const char* const kSavedPicture = "talvex-view.png";

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The button's message pair and key code.
struct ButtonMessages {
    uint32_t down, up;
    int32_t key;
};

bool Messages(uint8_t button, ButtonMessages& messages) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        messages = {kLeftButtonDown, kLeftButtonUp, kLeftButtonKey};
        return true;
    case SDL_BUTTON_RIGHT:
        messages = {kRightButtonDown, kRightButtonUp, kRightButtonKey};
        return true;
    case SDL_BUTTON_MIDDLE:
        messages = {kMiddleButtonDown, kMiddleButtonUp, kMiddleButtonKey};
        return true;
    default:
        return false;
    }
}

// The MK_ flags of the buttons held, as wParam of a mouse message.
TalvexWParam ButtonFlags(uint32_t state) {
    TalvexWParam flags = 0;
    if ((state & SDL_BUTTON_LMASK) != 0) flags |= kLeftButtonFlag;
    if ((state & SDL_BUTTON_RMASK) != 0) flags |= kRightButtonFlag;
    if ((state & SDL_BUTTON_MMASK) != 0) flags |= kMiddleButtonFlag;
    return flags;
}

}  // namespace

Viewer::~Viewer() {
    if (chart_ != 0) TALVEX_ControlDestroy(chart_);
    if (host_ != nullptr) talvex_window_destroy(host_);
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
}

std::string Viewer::Start(const std::vector<ScriptSource>& scripts, int width, int height) {
    host_ = talvex_window_create(width, height);
    chart_ = TALVEX_ControlCreate();
    const int32_t result = TALVEX_ControlInit(chart_, host_, nullptr, kChartId);
    if (result != 0) {
        char message[64];
        std::snprintf(message, sizeof message, "the chart could not start (0x%08X)", static_cast<unsigned>(result));
        return std::string("talvex-view: ") + message;
    }
    chartWindow_ = talvex_window_find_child(host_, kChartId);
    for (size_t i = 0; i < scripts.size(); ++i) {
        Slot slot;
        slot.source = scripts[i];
        bool unreadable = false;
        const std::string problem = slot.source.data.empty()
                                        ? SetChartScript(chart_, i, slot.source.text)
                                        : SetChartData(chart_, static_cast<int32_t>(i), slot.source, unreadable);
        if (!problem.empty()) return slot.source.data.empty() ? problem : "talvex-view: " + problem;
        slot.goodText = slot.source.text;
        struct stat status {};
        if (slot.source.file && stat(slot.source.name.c_str(), &status) == 0) {
            slot.modified = status.st_mtim;
            slot.size = status.st_size;
        }
        slots_.push_back(slot);
    }

    window_ = SDL_CreateWindow("talvex-view", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               SDL_WINDOW_RESIZABLE);
    if (window_ == nullptr) return std::string("talvex-view: cannot open a window: ") + SDL_GetError();
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (renderer_ == nullptr) return std::string("talvex-view: cannot draw into the window: ") + SDL_GetError();

    TALVEX_ControlSetIsometricView(chart_);
    OnResize(width, height);
    Calculate();
    for (const Slot& slot : slots_)
        if (!slot.calculationProblem.empty()) std::fprintf(stderr, "talvex-view: %s\n", slot.calculationProblem.c_str());
    TALVEX_ControlShow(chart_, kShow);
    UpdateTitle();
    return "";
}

void Viewer::HandleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        quit_ = true;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        OnMouseButton(event.button, event.type == SDL_MOUSEBUTTONDOWN);
        break;
    case SDL_MOUSEMOTION:
        talvex_window_send(chartWindow_, kMouseMove, ButtonFlags(event.motion.state),
                           PointParam(event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEWHEEL: {
        const int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        // The chart zooms one step a message, whatever the delta.
        for (int i = 0; i < std::abs(notches); ++i)
            TALVEX_ControlMouseWheel(chart_, WheelParam(notches > 0 ? 120 : -120), 0);
        TALVEX_ControlInvalidate(chart_, nullptr, 0);
        break;
    }
    case SDL_KEYDOWN:
        OnKey(event.key.keysym.sym);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            OnResize(event.window.data1, event.window.data2);
        else if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
            Show();
        break;
    default:
        break;
    }
}

void Viewer::OnMouseButton(const SDL_MouseButtonEvent& button, bool down) {
    ButtonMessages messages{};
    if (!Messages(button.button, messages)) return;
    // The chart asks the key state which button drags: it must be current
    // while the button's messages arrive.
    if (down) talvex_window_set_key_state(messages.key, 1);
    const uint32_t held = SDL_GetMouseState(nullptr, nullptr) | SDL_BUTTON(button.button);
    talvex_window_send(chartWindow_, down ? messages.down : messages.up, down ? ButtonFlags(held) : 0,
                       PointParam(button.x, button.y));
    if (!down) talvex_window_set_key_state(messages.key, 0);
    // Drags go on outside the window, as with the capture on Windows.
    SDL_CaptureMouse(down ? SDL_TRUE : SDL_FALSE);
}

void Viewer::OnKey(SDL_Keycode key) {
    switch (key) {
    case SDLK_w:
        TALVEX_ControlSetSolid(chart_, TALVEX_ControlIsSolid(chart_) ? 0 : 1);
        break;
    case SDLK_p:
        TALVEX_ControlSetPointVisible(chart_, TALVEX_ControlIsPointVisible(chart_) ? 0 : 1);
        break;
    case SDLK_a:
        TALVEX_ControlSetAxisVisible(chart_, TALVEX_ControlIsAxisVisible(chart_) ? 0 : 1);
        break;
    case SDLK_h: {
        int32_t leftHanded = 0;
        talvex_get_left_handed(chart_, &leftHanded);
        if (leftHanded == 0) TALVEX_ControlSetLeftHand(chart_);
        else TALVEX_ControlSetRightHand(chart_);
        Calculate();  // the rebuilt buffers wait for a calculation
        UpdateTitle();
        break;
    }
    case SDLK_c: {
        // The classic look and the chart look in turn; each keeps its own eye.
        TalvexStyle style;
        style.size = TALVEX_STYLE_SIZE;
        talvex_get_style(chart_, &style);
        style.look = style.look == TALVEX_LOOK_CHART ? TALVEX_LOOK_CLASSIC : TALVEX_LOOK_CHART;
        talvex_set_style(chart_, &style, nullptr, 0);
        break;
    }
    case SDLK_d:
        TALVEX_ControlSetDefaultView(chart_);
        break;
    case SDLK_i:
        TALVEX_ControlSetIsometricView(chart_);
        break;
    case SDLK_s:
        UpdateTitle(SavePicture(kSavedPicture) ? std::string("saved ") + kSavedPicture : "could not save");
        return;
    case SDLK_ESCAPE:
        quit_ = true;
        return;
    default:
        return;
    }
    TALVEX_ControlInvalidate(chart_, nullptr, 0);
}

void Viewer::OnResize(int width, int height) {
    if (width <= 0 || height <= 0) return;
    TALVEX_ControlMove(chart_, 0, 0, width, height, 1);
    TALVEX_ControlSize(chart_, width, height);
    TALVEX_ControlInvalidate(chart_, nullptr, 0);
}

void Viewer::ReloadChangedFiles() {
    bool changed = false;
    for (size_t i = 0; i < slots_.size(); ++i) {
        Slot& slot = slots_[i];
        struct stat status {};
        if (!slot.source.file || stat(slot.source.name.c_str(), &status) != 0) continue;
        if (SameTime(status.st_mtim, slot.modified) && status.st_size == slot.size) continue;
        slot.modified = status.st_mtim;
        slot.size = status.st_size;
        if (!slot.source.data.empty()) {
            // Data read again; data that no longer reads leaves the slot as it was.
            bool unreadable = false;
            slot.problem = SetChartData(chart_, static_cast<int32_t>(i), slot.source, unreadable);
            changed = changed || slot.problem.empty();
            UpdateTitle();
            continue;
        }
        std::string text;
        if (!ReadTextFile(slot.source.name, text)) continue;
        slot.problem = SetChartScript(chart_, i, text);
        if (slot.problem.empty()) {
            slot.goodText = text;
            changed = true;
        } else {
            // A failed compile empties the slot: the last good text goes back
            // in, so that the picture stays through later resizes and turns.
            SetChartScript(chart_, i, slot.goodText);
        }
        UpdateTitle();
    }
    if (changed) {
        Calculate();
        UpdateTitle();
        TALVEX_ControlInvalidate(chart_, nullptr, 0);
    }
}

void Viewer::Calculate() {
    TALVEX_ControlCalculate(chart_);
    // A slot whose script no longer calculates keeps what it drew before;
    // the title says why it did not change.
    for (size_t i = 0; i < slots_.size(); ++i) {
        int32_t code = 0;
        char text[512] = "";
        talvex_get_slot_error(chart_, static_cast<int32_t>(i), &code, text, sizeof text);
        slots_[i].calculationProblem = code != 0 ? text : "";
    }
}

void Viewer::UpdateTitle(const std::string& note) {
    std::string title = "talvex-view";
    std::string detail = note;
    // A script that does not compile is told before one that does not
    // calculate: the second may be the first's consequence.
    for (const Slot& slot : slots_)
        if (!slot.problem.empty()) {
            detail = slot.problem;
            break;
        }
    if (detail.empty())
        for (const Slot& slot : slots_)
            if (!slot.calculationProblem.empty()) {
                detail = slot.calculationProblem;
                break;
            }
    if (detail.empty())
        for (const Slot& slot : slots_) {
            const std::string& name = slot.source.name;
            detail += (detail.empty() ? "" : ", ") + name.substr(name.find_last_of('/') + 1);
        }
    if (!detail.empty()) title += " - " + detail;
    SDL_SetWindowTitle(window_, title.c_str());
}

void Viewer::Frame() {
    ReloadChangedFiles();
    const Uint64 start = SDL_GetPerformanceCounter();
    if (talvex_window_run_paints() > 0) {
        stats_.milliseconds += static_cast<double>(SDL_GetPerformanceCounter() - start) * 1000.0 /
                               static_cast<double>(SDL_GetPerformanceFrequency());
        ++stats_.frames;
        ReadPicture();
        Show();
    }
}

void Viewer::ReadPicture() {
    int32_t width = 0, height = 0;
    talvex_window_picture_size(chartWindow_, &width, &height);
    if (width <= 0 || height <= 0) return;
    picture_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    talvex_window_read_picture(chartWindow_, picture_.data(), static_cast<int32_t>(picture_.size()));
    // Only the low 24 bits are colour; the device leaves its own in the top byte.
    for (uint32_t& pixel : picture_) pixel &= 0xFFFFFF;
    pictureWidth_ = width;
    pictureHeight_ = height;
}

void Viewer::Show() {
    if (picture_.empty()) return;
    if (texture_ == nullptr || textureWidth_ != pictureWidth_ || textureHeight_ != pictureHeight_) {
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        // 0x00RRGGBB is SDL's RGB888: 32 bits a pixel, the top byte unused.
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, pictureWidth_,
                                     pictureHeight_);
        textureWidth_ = pictureWidth_;
        textureHeight_ = pictureHeight_;
        if (texture_ == nullptr) return;
    }
    SDL_UpdateTexture(texture_, nullptr, picture_.data(), pictureWidth_ * 4);
    SDL_RenderClear(renderer_);
    const SDL_Rect place{0, 0, pictureWidth_, pictureHeight_};
    SDL_RenderCopy(renderer_, texture_, nullptr, &place);
    SDL_RenderPresent(renderer_);
}

std::vector<uint32_t> Viewer::ShownPixels(int& width, int& height) const {
    SDL_GetRendererOutputSize(renderer_, &width, &height);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4) != 0)
        pixels.clear();
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

bool Viewer::SavePicture(const std::string& path) const {
    if (picture_.empty()) return false;
    ::Picture file;
    file.width = pictureWidth_;
    file.height = pictureHeight_;
    file.pixels = picture_;
    return WritePng(path, file);
}
