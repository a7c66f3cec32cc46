// flakemorph in a web page. The module (flakemorph.wasm) draws every frame into a buffer in its
// own memory; this script only hands it the time of each of the browser's callbacks, the
// canvas's size in device pixels and the user's input, and puts on the canvas the rectangles
// that the module says changed. The module is read from the page itself (a script element
// "flakemorph-module" holding it in base64: a page that works from disk) or else fetched from
// beside this script, or from the address in its data-module.
//
// Options: those the page was made with (data-options on <html>), then the address's query
// (?fps ?rate=HZ ?scale=N ?wallpaper ?clock=SECONDS&frames=N), then a host's settings.
"use strict";
(() => {
  const script = document.currentScript;
  // Where the timer watches from while requestAnimationFrame calls back, and takes over when
  // it stops (some web views of screen-saver hosts never call it).
  const WATCH_MS = 250;
  // The module's names for input: platform/web/module.cpp.
  const Input = { KEY: 0, MODIFIER: 1, BUTTON: 2, WHEEL: 3, TOUCH: 4, MOVE: 5, BLUR: 6 };
  const ENTER_FULL_SCREEN = 1;
  const LEAVE_FULL_SCREEN = 2;
  const MODIFIER_KEYS = new Set([
    "Shift", "Control", "Alt", "AltGraph", "Meta", "OS", "Super", "Hyper", "Fn", "CapsLock",
  ]);

  const canvas = document.getElementById("flakemorph") || document.body.appendChild(
    Object.assign(document.createElement("canvas"), { id: "flakemorph" }));
  const context = canvas.getContext("2d", { alpha: false });
  const size = { width: 0, height: 0, ratio: window.devicePixelRatio || 1 };
  const hostSettings = {};
  let exports, memory, page, image = null, stopped = false, rafSeen = -Infinity, timer = 0;

  // The little of WASI the module uses: its messages on standard error, its exit. Whatever else
  // it imports answers "not supported".
  class ModuleExit extends Error {}
  let errorText = "";
  function wasiImports(module) {
    const ENOSYS = 52;
    const wasi = {
      fd_write(fd, iovecs, count, writtenAt) {
        const view = new DataView(memory.buffer);
        let written = 0;
        for (let i = 0; i < count; i++) {
          const at = view.getUint32(iovecs + 8 * i, true);
          const length = view.getUint32(iovecs + 8 * i + 4, true);
          errorText += new TextDecoder().decode(new Uint8Array(memory.buffer, at, length));
          written += length;
        }
        view.setUint32(writtenAt, written, true);
        return 0;
      },
      proc_exit(status) {
        throw new ModuleExit(errorText.trim() || `flakemorph ended with status ${status}`);
      },
    };
    for (const { module: from, name } of WebAssembly.Module.imports(module)) {
      if (from === "wasi_snapshot_preview1" && !(name in wasi)) wasi[name] = () => ENOSYS;
    }
    return wasi;
  }

  function localTimeOfDayMs() {
    const now = new Date();
    return ((now.getHours() * 60 + now.getMinutes()) * 60 + now.getSeconds()) * 1000 +
      now.getMilliseconds();
  }

  async function moduleBytes() {
    const embedded = document.getElementById("flakemorph-module");
    if (embedded) return Uint8Array.from(atob(embedded.textContent.trim()), (c) => c.charCodeAt(0));
    const address = new URL(script?.dataset.module || "flakemorph.wasm", script?.src || location.href);
    const response = await fetch(address);
    if (!response.ok) throw new Error(`cannot load ${address}: ${response.status}`);
    return new Uint8Array(await response.arrayBuffer());
  }

  function fail(error) {
    stopped = true;
    console.error(error);
    const note = document.createElement("pre");
    note.className = "flakemorph-error";
    note.textContent = error instanceof Error ? error.message : String(error);
    document.body.appendChild(note);
  }

  // The text the page shares with the module, made `length` bytes long.
  function sharedText(length) {
    return new Uint8Array(memory.buffer, exports.page_text(page, length), length);
  }

  function configure() {
    const host = Object.entries(hostSettings).map(([name, value]) => `${name}=${value}`);
    const parts = [document.documentElement.dataset.options || "", location.search.slice(1), ...host];
    const query = new TextEncoder().encode(parts.filter(Boolean).join("&"));
    sharedText(query.length).set(query);
    const errorLength = exports.page_configure(page);
    if (errorLength > 0) {
      throw new Error(`flakemorph: ${new TextDecoder().decode(sharedText(errorLength))}`);
    }
  }

  // The rectangles the last tick changed, from the module's buffer onto the canvas.
  function put(count) {
    const width = exports.page_width(page);
    const height = exports.page_height(page);
    const pixels = exports.page_pixels(page);
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
      image = null;
    }
    // A new buffer, or the module's memory grown (which detaches every view of it).
    if (!image || image.data.buffer !== memory.buffer || image.data.byteOffset !== pixels) {
      image = new ImageData(new Uint8ClampedArray(memory.buffer, pixels, width * height * 4),
        width, height);
    }
    const rects = new Int32Array(memory.buffer, exports.page_changes(page), 4 * count);
    for (let i = 0; i < rects.length; i += 4) {
      context.putImageData(image, 0, 0, rects[i], rects[i + 1], rects[i + 2], rects[i + 3]);
    }
  }

  function tick(now) {
    if (stopped || document.hidden) return;
    try {
      const count = exports.page_tick(page, now, size.width, size.height, size.ratio);
      if (count > 0) put(count);
    } catch (error) {
      fail(error);
    }
  }

  function onAnimationFrame(now) {
    if (stopped) return;
    rafSeen = now;
    requestAnimationFrame(onAnimationFrame);
    tick(now);
  }

  // The fallback: frames from a timer wherever requestAnimationFrame has gone quiet while the
  // page is shown.
  function onTimer() {
    timer = 0;
    if (stopped || document.hidden) return;
    const now = performance.now();
    const framesCalled = now - rafSeen < 2 * WATCH_MS;
    if (!framesCalled) tick(now);
    const wait = framesCalled ? WATCH_MS : exports.page_wait(page, performance.now());
    timer = setTimeout(onTimer, wait < 0 ? WATCH_MS : Math.min(wait, WATCH_MS));
  }

  // The canvas's size in device pixels, exactly where the browser tells it.
  function watchSize() {
    const observer = new ResizeObserver(([entry]) => {
      const box = entry.devicePixelContentBoxSize?.[0];
      size.ratio = window.devicePixelRatio || 1;
      size.width = box ? box.inlineSize : Math.round(entry.contentRect.width * size.ratio);
      size.height = box ? box.blockSize : Math.round(entry.contentRect.height * size.ratio);
    });
    try {
      observer.observe(canvas, { box: "device-pixel-content-box" });
    } catch {
      observer.observe(canvas);
    }
  }

  // Input goes to the module, which alone decides what it means; a page cannot end itself, so
  // what ends the program takes the page into full screen or out of it.
  function input(kind, x = 0, y = 0) {
    if (stopped) return;
    const action = exports.page_input(page, kind, Math.round(x), Math.round(y));
    if (action === ENTER_FULL_SCREEN && !document.fullscreenElement) {
      document.documentElement.requestFullscreen?.().catch(() => {});
    } else if (action === LEAVE_FULL_SCREEN && document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    }
  }

  function watchInput() {
    addEventListener("keydown", (event) => {
      if (!event.repeat) input(MODIFIER_KEYS.has(event.key) ? Input.MODIFIER : Input.KEY);
    });
    addEventListener("pointerdown", (event) => input(
      event.pointerType === "touch" ? Input.TOUCH : Input.BUTTON, event.screenX, event.screenY));
    addEventListener("pointermove", (event) => input(Input.MOVE, event.screenX, event.screenY));
    addEventListener("wheel", () => input(Input.WHEEL), { passive: true });
    addEventListener("blur", () => input(Input.BLUR));
    document.addEventListener("fullscreenchange", () => {
      if (!stopped) exports.page_full_screen(page, document.fullscreenElement ? 1 : 0);
    });
    document.addEventListener("visibilitychange", () => {
      if (!document.hidden && !timer) onTimer();
    });
  }

  // What a host or a test may read: the frames drawn of the animation now running.
  window.flakemorph = {
    get frames() {
      return page && !stopped ? exports.page_frames(page) : 0;
    },
  };

  // Lively Wallpaper hands its settings (LivelyProperties.json) to this function.
  window.livelyPropertyListener = (name, value) => {
    if (name === "rate") hostSettings.rate = Math.round(Number(value));
    else if (name === "fps") hostSettings.fps = value ? 1 : 0;
    else return;
    if (!exports || stopped) return;
    try {
      configure();
    } catch (error) {
      fail(error);
    }
  };

  async function start() {
    const compiled = await WebAssembly.compile(await moduleBytes());
    const instance = await WebAssembly.instantiate(compiled, {
      wasi_snapshot_preview1: wasiImports(compiled),
      env: { local_time_of_day_ms: localTimeOfDayMs, now_ms: () => performance.now() },
    });
    exports = instance.exports;
    memory = exports.memory;
    exports._initialize();
    page = exports.page_new();
    configure();
    watchSize();
    watchInput();
    requestAnimationFrame(onAnimationFrame);
    onTimer();
  }

  start().catch(fail);
})();
