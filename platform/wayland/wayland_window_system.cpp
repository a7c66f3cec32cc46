#include "platform/wayland/wayland_window_system.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/fail.h"
#include "platform/key_presses.h"
#include "platform/wayland/idle_watch.h"
#include "platform/wayland/output_windows.h"
#include "platform/wayland/wayland_window.h"

namespace flakemorph {
namespace {

constexpr Nanoseconds kForever = -1;
// How long a frame request may keep a window waiting: three refreshes at 60 Hz. One that takes
// longer is for a surface the compositor does not show.
constexpr Nanoseconds kLongestFrameWait = 50'000'000;

Nanoseconds Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return Nanoseconds{now.tv_sec} * kSecond + now.tv_nsec;
}

void Require(bool present, const char* what) {
  if (!present) Fail(1, "the Wayland compositor lacks %s", what);
}

class WaylandWindowSystem final : public WindowSystem {
 public:
  // `layers`: whether to use the layer shell where there is one.
  WaylandWindowSystem(wl_display* display, const WindowRequest& request,
                      const EventContext& context, bool layers)
      : display_(display), request_(request), context_(context), layers_(layers) {}
  WaylandWindowSystem(const WaylandWindowSystem&) = delete;
  WaylandWindowSystem& operator=(const WaylandWindowSystem&) = delete;
  ~WaylandWindowSystem() override;

  // Binds the globals and learns the outputs; ends the program if a needed global is missing.
  void Start();

  bool WaitUntilShown() override;
  bool HandlePending(Nanoseconds wait) override;
  std::span<ProgramWindow* const> Windows() override { return shown_; }
  bool Resting() const override { return idle_ != nullptr && !showing_; }
  int RefreshHz() const override;

 private:
  void RequireGlobals();
  void Show();
  void Hide();
  void FollowIdleness();
  void WaitForIdleness();
  void Dispatch(Nanoseconds timeout);
  [[noreturn]] void Lost();
  void OpenWindows();
  void OpenWindowOn(Output& output);
  void Reconcile();
  WindowHost Host() {
    return {outputs_, [this](const WaylandWindow& window) { return AwaitFrame(window); }};
  }
  bool AwaitFrame(const WaylandWindow& window);
  bool AllWaiting() const;
  bool Ended() const;
  bool IsLiveSurface(const wl_surface* surface) const;
  void Take(InputKind kind, std::int32_t x = 0, std::int32_t y = 0) {
    context_.input.Take({kind, x, y});
  }
  void Take(const std::optional<InputEvent>& press) {
    if (press) context_.input.Take(*press);
  }

  static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version);
  static void GlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
  void AddOutput(std::uint32_t name, wl_output* output);
  // Nothing for an output that is not known.
  static Output* OutputOf(void* data, const wl_output* output) {
    return static_cast<WaylandWindowSystem*>(data)->outputs_.Of(output);
  }
  static void OutputDone(void* data, wl_output* output);
  static void SeatCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
  // A device of the seat follows its capability: taken when offered, released when withdrawn.
  template <typename Device, typename Listener>
  void Follow(Device*& device, bool offered, Device* (*get)(wl_seat*),
              int (*listen)(Device*, const Listener*, void*), const Listener& listener,
              void (*release)(Device*)) {
    if (offered && device == nullptr) {
      device = get(seat_);
      listen(device, &listener, this);
    } else if (!offered && device != nullptr) {
      release(device);
      device = nullptr;
    }
  }
  static void KeyboardEnter(void* data, wl_keyboard* keyboard, std::uint32_t serial,
                            wl_surface* surface, wl_array* keys);
  static void PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial,
                           wl_surface* surface, wl_fixed_t x, wl_fixed_t y);

  wl_display* display_;
  const WindowRequest request_;
  const EventContext context_;
  const bool layers_;
  wl_registry* registry_ = nullptr;
  WaylandGlobals globals_;
  wl_seat* seat_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  wl_pointer* pointer_ = nullptr;
  wl_touch* touch_ = nullptr;
  Outputs outputs_;
  // The preview's window, which belongs to no output, and the library of its frame.
  std::unique_ptr<FrameLibrary> frames_;
  std::unique_ptr<WaylandWindow> preview_;
  // What the program draws on: every window that has its size and is still there.
  std::vector<ProgramWindow*> shown_;
  // The outputs' windows, and those that went until the program has let go of them.
  OutputWindows<WaylandWindow> windows_;
  // --idle: the seat's idle time, and whether the saver is shown now.
  IdleProtocols idle_protocols_;
  std::unique_ptr<IdleWatch> idle_;
  bool showing_ = false;
  // Another program's window took the keyboard from the saver (a locker, most likely): the next
  // showing waits until the user has been back, so that it never lies over the locker.
  bool keyboard_taken_ = false;
  bool wait_for_user_ = false;
  bool started_ = false;
  KeyPresses keys_;
  // The surface of ours the keyboard left: for another program's, unless it comes to another of
  // ours in the same news.
  const wl_surface* keyboard_left_ = nullptr;
  // The idle saver's keyboard was taken away and handed straight back to the same surface in
  // the same news: sway 1.7 does so for a locker's input inhibitor, giving it back to the
  // topmost overlay, ours, which lies over the locker. A move from one of our surfaces to
  // another (a second output's overlay mapped) is no such thing.
  bool keyboard_withdrawn_ = false;
};

WaylandWindowSystem::~WaylandWindowSystem() {
  preview_.reset();
  frames_.reset();
  windows_.CloseAll();
  windows_.LetGo();
  for (const Output& output : outputs_.All()) wl_output_destroy(output.output);
  if (keyboard_ != nullptr) wl_keyboard_destroy(keyboard_);
  if (pointer_ != nullptr) wl_pointer_destroy(pointer_);
  if (touch_ != nullptr) wl_touch_destroy(touch_);
  idle_.reset();
  if (idle_protocols_.notifier != nullptr) ext_idle_notifier_v1_destroy(idle_protocols_.notifier);
  if (idle_protocols_.kde_idle != nullptr) org_kde_kwin_idle_destroy(idle_protocols_.kde_idle);
  if (seat_ != nullptr) wl_seat_destroy(seat_);
  if (globals_.fractional_scale != nullptr) {
    wp_fractional_scale_manager_v1_destroy(globals_.fractional_scale);
  }
  if (globals_.viewporter != nullptr) wp_viewporter_destroy(globals_.viewporter);
  if (globals_.decorations != nullptr) zxdg_decoration_manager_v1_destroy(globals_.decorations);
  if (globals_.layer_shell != nullptr) zwlr_layer_shell_v1_destroy(globals_.layer_shell);
  if (globals_.wm_base != nullptr) xdg_wm_base_destroy(globals_.wm_base);
  if (globals_.shm != nullptr) wl_shm_destroy(globals_.shm);
  if (globals_.compositor != nullptr) wl_compositor_destroy(globals_.compositor);
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  wl_display_flush(display_);
  wl_display_disconnect(display_);
}

void WaylandWindowSystem::Start() {
  registry_ = wl_display_get_registry(display_);
  static constexpr wl_registry_listener kListener{.global = Global, .global_remove = GlobalRemove};
  wl_registry_add_listener(registry_, &kListener, this);
  // The globals, then what the outputs say of themselves.
  if (wl_display_roundtrip(display_) < 0 || wl_display_roundtrip(display_) < 0) Lost();
  RequireGlobals();
  started_ = true;
  if (request_.idle_seconds > 0) {
    // The idle saver counts the seat's idle time, which only the compositor knows: without
    // either protocol (GNOME) there is no telling when to show it.
    Require(idle_protocols_.Any(),
            "an idle protocol (ext_idle_notifier_v1 or org_kde_kwin_idle) that --idle needs");
    Require(seat_ != nullptr, "a seat (wl_seat) whose idle time --idle could watch");
    idle_ = std::make_unique<IdleWatch>(idle_protocols_, seat_, request_.idle_seconds);
    if (request_.stats != nullptr) {
      request_.stats->Line("flakemorph: waiting for %d s of no input (%s)", request_.idle_seconds,
                           idle_->ProtocolName());
    }
    return;
  }
  OpenWindows();
}

// Every surface but the layer shell's is an xdg one: the preview's, and every surface where the
// compositor has no layer shell.
void WaylandWindowSystem::RequireGlobals() {
  Require(globals_.compositor != nullptr, "wl_compositor");
  Require(globals_.shm != nullptr, "wl_shm");
  Require(globals_.layer_shell != nullptr || request_.mode != WindowMode::kWallpaper,
          "the layer shell (zwlr_layer_shell_v1) that a wallpaper needs");
  Require(globals_.wm_base != nullptr ||
              (globals_.layer_shell != nullptr && request_.mode != WindowMode::kPreview),
          "xdg_wm_base");
}

// The saver on every output, new windows with new animations each time.
void WaylandWindowSystem::Show() {
  showing_ = true;
  keyboard_taken_ = false;
  context_.input.NewShowing();
  if (request_.stats != nullptr) {
    request_.stats->Line("flakemorph: idle for %d s: shown", request_.idle_seconds);
  }
  OpenWindows();
}

// Every window goes at once; the program lets go of them before the next wait ends.
void WaylandWindowSystem::Hide() {
  showing_ = false;
  wait_for_user_ = keyboard_taken_;
  windows_.CloseAll();
  shown_.clear();
  if (request_.stats != nullptr) {
    request_.stats->Line("flakemorph: input: hidden until the seat is idle again");
  }
}

// Shown when the seat went idle, hidden again at the input that ends a screen saver. The
// compositor's "resumed" is no end: a nudge of the mouse resumes the seat too.
void WaylandWindowSystem::FollowIdleness() {
  if (idle_ == nullptr) return;
  const bool idled = idle_->TakeIdled();
  // The outputs may all go while it shows: it waits then, as after input.
  if (showing_ && (context_.input.ShowingEnded() || !windows_.Any())) Hide();
  if (!idle_->Idle()) wait_for_user_ = false;
  if (!showing_ && idled && idle_->Idle() && !wait_for_user_) Show();
}

// Resting costs nothing: no window, no frame, one wait for the compositor's news.
void WaylandWindowSystem::WaitForIdleness() {
  windows_.LetGo();
  wl_display_flush(display_);
  while (Resting() && !Ended()) {
    Dispatch(kForever);
    FollowIdleness();
  }
}

void WaylandWindowSystem::OpenWindows() {
  if (request_.mode == WindowMode::kPreview) {
    if (globals_.decorations == nullptr) {
      frames_ = std::make_unique<FrameLibrary>(display_);
      globals_.frames = frames_.get();
    }
    preview_ = std::make_unique<WaylandWindow>(globals_, Host(), SurfaceRole::kPreview, nullptr,
                                               request_.width * std::max(request_.scale, 1),
                                               request_.height * std::max(request_.scale, 1),
                                               request_.scale, "preview", request_.stats);
    return;
  }
  for (Output& output : outputs_.All()) {
    if (output.described) OpenWindowOn(output);
  }
}

void WaylandWindowSystem::OpenWindowOn(Output& output) {
  if (!started_ || windows_.Of(output.name) != nullptr || request_.mode == WindowMode::kPreview ||
      Resting()) {
    return;
  }
  const SurfaceRole role = request_.mode == WindowMode::kWallpaper ? SurfaceRole::kWallpaper
                           : globals_.layer_shell == nullptr       ? SurfaceRole::kFullScreen
                                                                   : SurfaceRole::kOverlay;
  windows_.Open(output.name,
                std::make_unique<WaylandWindow>(
                    globals_, Host(), role, output.output, output.width / output.scale,
                    output.height / output.scale, request_.scale, output.label, request_.stats));
}

void WaylandWindowSystem::Global(void* data, wl_registry* registry, std::uint32_t name,
                                 const char* interface, std::uint32_t version) {
  auto* system = static_cast<WaylandWindowSystem*>(data);
  WaylandGlobals& globals = system->globals_;
  const std::string_view kind(interface);
  // Whether the global is of `type` and wanted, and so bound, at the newer version of the two.
  const auto bind = [&]<typename Proxy>(Proxy*& proxy, const wl_interface& type,
                                        std::uint32_t highest, bool wanted = true) {
    if (kind != type.name || !wanted) return false;
    proxy =
        static_cast<Proxy*>(wl_registry_bind(registry, name, &type, std::min(version, highest)));
    return true;
  };
  bind(globals.compositor, wl_compositor_interface, 4);
  bind(globals.shm, wl_shm_interface, 1);
  bind(globals.layer_shell, zwlr_layer_shell_v1_interface, 3, system->layers_);
  bind(globals.decorations, zxdg_decoration_manager_v1_interface, 1);
  bind(globals.viewporter, wp_viewporter_interface, 1);
  bind(globals.fractional_scale, wp_fractional_scale_manager_v1_interface, 1);
  bind(system->idle_protocols_.notifier, ext_idle_notifier_v1_interface, 1);
  bind(system->idle_protocols_.kde_idle, org_kde_kwin_idle_interface, 1);
  if (bind(globals.wm_base, xdg_wm_base_interface, 2)) {
    static constexpr xdg_wm_base_listener kListener{
        .ping = [](void*, xdg_wm_base* base, std::uint32_t serial) {
          xdg_wm_base_pong(base, serial);
        }};
    xdg_wm_base_add_listener(globals.wm_base, &kListener, nullptr);
  }
  // The first seat alone; a wallpaper takes no input.
  if (bind(system->seat_, wl_seat_interface, 5,
           system->seat_ == nullptr && system->request_.mode != WindowMode::kWallpaper)) {
    static constexpr wl_seat_listener kListener{.capabilities = SeatCapabilities, .name = kIgnored};
    wl_seat_add_listener(system->seat_, &kListener, system);
  }
  wl_output* output = nullptr;
  if (bind(output, wl_output_interface, 4)) system->AddOutput(name, output);
}

// An output's window comes once it has told all of itself (OutputDone).
void WaylandWindowSystem::AddOutput(std::uint32_t name, wl_output* output) {
  outputs_.Add(name, output);
  windows_.AddOutput(name);
  static constexpr wl_output_listener kListener{
      .geometry = kIgnored,
      .mode =
          [](void* data, wl_output* wayland_output, std::uint32_t flags, std::int32_t width,
             std::int32_t height, std::int32_t refresh) {
            Output* described = OutputOf(data, wayland_output);
            if (described == nullptr || (flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
            described->width = width;
            described->height = height;
            described->refresh_millihertz = refresh;
          },
      .done = OutputDone,
      .scale =
          [](void* data, wl_output* wayland_output, std::int32_t scale) {
            if (Output* described = OutputOf(data, wayland_output)) {
              described->scale = std::max(scale, 1);
            }
          },
      .name =
          [](void* data, wl_output* wayland_output, const char* label) {
            if (Output* described = OutputOf(data, wayland_output)) described->label = label;
          },
      .description = kIgnored};
  wl_output_add_listener(output, &kListener, this);
}

// An output that goes takes its window with it; the program ends once none is left.
void WaylandWindowSystem::GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
  auto* system = static_cast<WaylandWindowSystem*>(data);
  Output* output = system->outputs_.Named(name);
  if (output == nullptr) return;
  system->windows_.OutputGone(name);
  wl_output_destroy(output->output);
  system->outputs_.Remove(name);
}

int WaylandWindowSystem::RefreshHz() const {
  for (const Output& output : outputs_.All()) {
    if (output.refresh_millihertz > 0) return (output.refresh_millihertz + 500) / 1000;
  }
  return 0;
}

// The end of an output's description, first or changed: a new output gets its window, and a
// window on a changed one (or the preview, which may be on it) follows its scale.
void WaylandWindowSystem::OutputDone(void* data, wl_output* wayland_output) {
  auto* system = static_cast<WaylandWindowSystem*>(data);
  Output* output = OutputOf(data, wayland_output);
  if (output == nullptr) return;
  output->described = true;
  if (WaylandWindow* window = system->windows_.Of(output->name)) {
    window->OutputChanged();
  } else {
    system->OpenWindowOn(*output);
  }
  if (system->preview_) system->preview_->OutputChanged();
}

void WaylandWindowSystem::SeatCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
  auto* system = static_cast<WaylandWindowSystem*>(data);
  static constexpr wl_keyboard_listener kKeyboard{
      .keymap = [](void*, wl_keyboard*, std::uint32_t, std::int32_t file,
                   std::uint32_t) { close(file); },
      .enter = KeyboardEnter,
      // A surface that is going (its output unplugged) loses the keyboard to nobody in particular.
      .leave =
          [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
            auto* system = static_cast<WaylandWindowSystem*>(data);
            if (system->IsLiveSurface(surface)) system->keyboard_left_ = surface;
          },
      .key =
          [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
             std::uint32_t state) {
            auto* system = static_cast<WaylandWindowSystem*>(data);
            system->Take(system->keys_.Key(state == WL_KEYBOARD_KEY_STATE_PRESSED));
          },
      // A modifier alone may arrive as nothing but a new set of modifiers held down.
      .modifiers =
          [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, auto...) {
            auto* system = static_cast<WaylandWindowSystem*>(data);
            system->Take(system->keys_.Modifiers(depressed));
          },
      .repeat_info = kIgnored};
  static constexpr wl_pointer_listener kPointer{
      .enter = PointerEnter,
      .leave = kIgnored,
      .motion =
          [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
            static_cast<WaylandWindowSystem*>(data)->Take(InputKind::kPointerMoved,
                                                          wl_fixed_to_int(x), wl_fixed_to_int(y));
          },
      .button =
          [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
             std::uint32_t state) {
            if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
              static_cast<WaylandWindowSystem*>(data)->Take(InputKind::kButtonPressed);
            }
          },
      .axis =
          [](void* data, auto...) {
            static_cast<WaylandWindowSystem*>(data)->Take(InputKind::kWheelTurned);
          },
      .frame = kIgnored,
      .axis_source = kIgnored,
      .axis_stop = kIgnored,
      .axis_discrete = kIgnored,
      .axis_value120 = kIgnored};
  static constexpr wl_touch_listener kTouch{
      .down = [](void* data,
                 auto...) { static_cast<WaylandWindowSystem*>(data)->Take(InputKind::kTouched); },
      .up = kIgnored,
      .motion = kIgnored,
      .frame = kIgnored,
      .cancel = kIgnored,
      .shape = kIgnored,
      .orientation = kIgnored};
  system->Follow(system->keyboard_, (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0,
                 wl_seat_get_keyboard, wl_keyboard_add_listener, kKeyboard, wl_keyboard_release);
  system->Follow(system->pointer_, (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0,
                 wl_seat_get_pointer, wl_pointer_add_listener, kPointer, wl_pointer_release);
  system->Follow(system->touch_, (capabilities & WL_SEAT_CAPABILITY_TOUCH) != 0, wl_seat_get_touch,
                 wl_touch_add_listener, kTouch, wl_touch_release);
}

void WaylandWindowSystem::KeyboardEnter(void* data, wl_keyboard*, std::uint32_t,
                                        wl_surface* surface, wl_array*) {
  auto* system = static_cast<WaylandWindowSystem*>(data);
  // Handed straight back to the surface it left, rather than on to another of ours.
  if (system->showing_ && surface != nullptr && surface == system->keyboard_left_) {
    system->keyboard_withdrawn_ = true;
  }
  system->keyboard_left_ = nullptr;
  system->keys_.Entered();
}

// Only a layer surface is ever taken away, never the preview's toplevel.
bool WaylandWindowSystem::IsLiveSurface(const wl_surface* surface) const {
  bool live = surface != nullptr && preview_ && preview_->Surface() == surface;
  windows_.ForEach([&](const WaylandWindow& window) {
    if (window.Surface() == surface) live = !window.Closed();
  });
  return live;
}

// No pointer over the animation, except over the preview, which is an ordinary window. Where
// the pointer comes in is where it was first seen, or a move.
void WaylandWindowSystem::PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial,
                                       wl_surface*, wl_fixed_t x, wl_fixed_t y) {
  auto* system = static_cast<WaylandWindowSystem*>(data);
  if (system->request_.mode != WindowMode::kPreview) {
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  }
  system->Take(InputKind::kPointerMoved, wl_fixed_to_int(x), wl_fixed_to_int(y));
}

// Reads and handles what the compositor sent, waiting up to `timeout` (kForever: without
// limit) for something to arrive; a signal cuts the wait short.
void WaylandWindowSystem::Dispatch(Nanoseconds timeout) {
  while (wl_display_prepare_read(display_) != 0) {
    if (wl_display_dispatch_pending(display_) < 0) Lost();
  }
  if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display_);
    Lost();
  }
  std::array<WatchedDescriptor, 1> watched{{{wl_display_get_fd(display_)}}};
  if (context_.waiter.WaitFor(watched, timeout)) {
    if (wl_display_read_events(display_) < 0) Lost();
  } else {
    wl_display_cancel_read(display_);
  }
  if (wl_display_dispatch_pending(display_) < 0) Lost();
  const bool withdrawn = std::exchange(keyboard_withdrawn_, false);
  if (std::exchange(keyboard_left_, nullptr) != nullptr || withdrawn) {
    if (showing_) keyboard_taken_ = true;
    Take(InputKind::kFocusLost);
  }
}

// A protocol error is a fault of ours and says so; anything else is the compositor gone.
void WaylandWindowSystem::Lost() {
  const wl_interface* interface = nullptr;
  std::uint32_t id = 0;
  if (wl_display_get_error(display_) == EPROTO) {
    const std::uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
    Fail(1, "the compositor refused a request: %s error %u",
         interface != nullptr ? interface->name : "?", code);
  }
  Fail(1, "lost the display");
}

// The windows the program draws on now: those with a size, and not taken away.
void WaylandWindowSystem::Reconcile() {
  windows_.DropClosed();
  if (preview_ && preview_->CloseRequested()) Take(InputKind::kCloseRequested);
  windows_.ForEach([this](const WaylandWindow& window) {
    if (window.CloseRequested()) Take(InputKind::kCloseRequested);
  });
  shown_.clear();
  if (preview_ && preview_->Configured()) shown_.push_back(preview_.get());
  windows_.AddShown(shown_);
}

bool WaylandWindowSystem::AwaitFrame(const WaylandWindow& window) {
  const Nanoseconds deadline = Now() + kLongestFrameWait;
  while (!window.Ready() && !window.Closed() && !context_.input.Ended()) {
    const Nanoseconds left = deadline - Now();
    if (left <= 0) return false;
    Dispatch(left);
  }
  return true;
}

// Every window waits for the compositor: nothing could be shown before it asks for a frame.
bool WaylandWindowSystem::AllWaiting() const {
  if (shown_.empty()) return false;
  return std::none_of(shown_.begin(), shown_.end(), [](ProgramWindow* window) {
    return static_cast<WaylandWindow*>(window)->Ready();
  });
}

// Ended by input or a signal, or by the last window going (which only hides the idle saver).
bool WaylandWindowSystem::Ended() const {
  return context_.input.Ended() || (idle_ == nullptr && !preview_ && windows_.AllGone());
}

bool WaylandWindowSystem::WaitUntilShown() {
  WaitForIdleness();
  for (;;) {
    Reconcile();
    if (Ended()) return false;
    const bool all_sized = (!preview_ || preview_->Configured()) && windows_.AllSized();
    if (!shown_.empty() && all_sized) return true;
    Dispatch(kForever);
  }
}

// Waits past `wait` while every window waits for the compositor: a program whose surfaces
// nobody is shown draws nothing.
bool WaylandWindowSystem::HandlePending(Nanoseconds wait) {
  windows_.LetGo();
  if (Resting()) return WaitUntilShown();
  const Nanoseconds deadline = Now() + std::max<Nanoseconds>(wait, 0);
  Dispatch(0);
  for (;;) {
    FollowIdleness();
    if (Resting()) return !Ended();
    Reconcile();
    if (Ended()) return false;
    const bool waiting = AllWaiting();
    const Nanoseconds now = Now();
    if (!waiting && now >= deadline) return true;
    Dispatch(waiting ? kForever : deadline - now);
  }
}

}  // namespace

std::unique_ptr<WindowSystem> OpenWaylandWindowSystem(const WindowRequest& request,
                                                      const EventContext& context) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return nullptr;
  const char* no_layers = std::getenv("FLAKEMORPH_NO_LAYER_SHELL");
  const bool layers =
      no_layers == nullptr || no_layers[0] == '\0' || std::strcmp(no_layers, "0") == 0;
  auto system = std::make_unique<WaylandWindowSystem>(display, request, context, layers);
  system->Start();
  return system;
}

}  // namespace flakemorph
