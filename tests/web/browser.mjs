// Opens a page in headless Chromium and watches it, through the DevTools protocol on a pipe
// (no package needed): screenshots at chosen moments, with the frames the page had drawn then.
// Usage: node browser.mjs URL WIDTHxHEIGHT SCALE OUT MOMENT_MS...   (the size in device pixels)
// A moment may also be "hide" (another tab comes in front, and the page is hidden), "show"
// (the page's tab in front again), "key" (a press of A), "click" or "move:X,Y" (the mouse to
// X, Y), done as soon as the moments before it are.
// Writes OUT-<moment>.png for every moment (ms after the page's first frame, while the page is
// shown) and prints one
// JSON line: {"frames": [frames drawn at each moment], "ratio": devicePixelRatio, "text": the
// page's text, "fullScreen": whether the page was full screen at each moment}. The page's first frame is awaited unless WAIT_FOR names another condition.
// Chromium is the one on the PATH unless CHROMIUM names another.
import { spawn } from "node:child_process";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { argv, env, exit } from "node:process";

const [, , url, size, scale, out, ...moments] = argv;
const [width, height] = size.split("x").map(Number);
const profile = mkdtempSync(join(tmpdir(), "flakemorph-chromium-"));
const chromium = spawn(env.CHROMIUM || "chromium", [
  "--headless=new", "--no-sandbox", "--no-first-run", "--hide-scrollbars", "--mute-audio",
  `--user-data-dir=${profile}`,
  `--force-device-scale-factor=${scale}`, "--remote-debugging-pipe", "about:blank",
], { stdio: ["ignore", "ignore", "ignore", "pipe", "pipe"] });

// One message a command, each ended by a zero byte, on fd 3 out and fd 4 back.
let nextId = 1, received = "";
const waiting = new Map();
const events = [];
chromium.stdio[4].on("data", (chunk) => {
  received += chunk.toString();
  for (let end; (end = received.indexOf("\0")) >= 0; received = received.slice(end + 1)) {
    const message = JSON.parse(received.slice(0, end));
    const answer = waiting.get(message.id);
    if (answer) {
      waiting.delete(message.id);
      if (message.error) answer.reject(new Error(JSON.stringify(message.error)));
      else answer.resolve(message.result);
    } else if (message.method) {
      events.push(message);
    }
  }
});
function send(method, params = {}, sessionId = undefined) {
  const id = nextId++;
  chromium.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + "\0");
  return new Promise((resolve, reject) => waiting.set(id, { resolve, reject }));
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function main() {
  const { targetInfos } = await send("Target.getTargets");
  const { targetId } = targetInfos.find((target) => target.type === "page");
  const { sessionId } = await send("Target.attachToTarget", { targetId, flatten: true });
  const evaluate = async (expression) =>
    (await send("Runtime.evaluate", { expression, returnByValue: true }, sessionId)).result.value;
  // The viewport of the size asked for, in CSS pixels; the device scale stays Chromium's own
  // (--force-device-scale-factor), which behaves as a real screen's.
  await send("Emulation.setDeviceMetricsOverride",
    { width: width / Number(scale), height: height / Number(scale), deviceScaleFactor: 0, mobile: false },
    sessionId);
  await send("Page.enable", {}, sessionId);
  // NO_ANIMATION_FRAMES=1: a browser that never calls requestAnimationFrame's callbacks, as some
  // web views of screen-saver hosts do not.
  if (env.NO_ANIMATION_FRAMES) {
    await send("Page.addScriptToEvaluateOnNewDocument",
      { source: "window.requestAnimationFrame = () => 0;" }, sessionId);
  }
  await send("Page.navigate", { url }, sessionId);
  // The page's first frame: the canvas has its size.
  const ready = env.WAIT_FOR || "window.flakemorph?.frames > 0";
  for (let tries = 0; !(await evaluate(ready)); tries++) {
    if (tries > 200) throw new Error(`no frame after 10 s: ${await evaluate("document.body.innerText")}`);
    await sleep(50);
  }
  const started = Date.now();
  const frames = [];
  const fullScreen = [];
  let cover = null;
  for (const moment of moments) {
    if (moment === "hide") {
      cover = await send("Target.createTarget", { url: "about:blank", background: false });
    } else if (moment === "show") {
      await send("Target.activateTarget", { targetId });
      await send("Target.closeTarget", { targetId: cover.targetId });
      cover = null;
    } else if (moment === "key") {
      for (const type of ["keyDown", "keyUp"]) {
        await send("Input.dispatchKeyEvent", { type, key: "a", code: "KeyA", text: "a" }, sessionId);
      }
    } else if (moment === "click") {
      for (const type of ["mousePressed", "mouseReleased"]) {
        await send("Input.dispatchMouseEvent",
          { type, x: 10, y: 10, button: "left", clickCount: 1 }, sessionId);
      }
    } else if (moment.startsWith("move:")) {
      const [x, y] = moment.slice(5).split(",").map(Number);
      await send("Input.dispatchMouseEvent", { type: "mouseMoved", x, y }, sessionId);
    } else {
      await sleep(Math.max(0, started + Number(moment) - Date.now()));
      frames.push(await evaluate("window.flakemorph.frames"));
      fullScreen.push(await evaluate("Boolean(document.fullscreenElement)"));
      if (cover) continue;
      const { data } = await send("Page.captureScreenshot", { format: "png" }, sessionId);
      writeFileSync(`${out}-${moment}.png`, Buffer.from(data, "base64"));
    }
  }
  const ratio = await evaluate("devicePixelRatio");
  const text = await evaluate("document.body.innerText");
  console.log(JSON.stringify({ frames, ratio, text, fullScreen }));
}

let status = 0;
try {
  await Promise.race([main(), sleep(60000).then(() => { throw new Error("timed out"); })]);
} catch (error) {
  console.error(`browser.mjs: ${error.message}`);
  status = 1;
}
chromium.kill();
await new Promise((resolve) => chromium.once("exit", resolve));
// Chromium's helpers may still be writing to the profile as the browser exits.
try {
  rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
} catch (error) {
  console.error(`browser.mjs: ${error.message}`);
}
exit(status);
