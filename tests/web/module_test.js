// The module a page loads (talvex.js, the wasm inside it), under node:
// it starts, draws a chart into canvas bytes, reports a broken script with
// its line and sentence, and takes data. node module_test.js talvex.js
'use strict';
const assert = require('assert');
const createTalvexModule = require(process.argv[2]);

function text(module, value) {
  const size = module.lengthBytesUTF8(value) + 1;
  const address = module._malloc(size);
  module.stringToUTF8(value, address, size);
  return address;
}

createTalvexModule().then((m) => {
  const width = 200, height = 150;
  const host = m._talvex_window_create(width, height);
  const chart = m._TALVEX_ControlCreate();
  assert.strictEqual(m._TALVEX_ControlInit(chart, host, 0, 1), 0, 'Init');
  assert.strictEqual(m._TALVEX_ControlSize(chart, width, height), 0, 'Size');
  assert.match(m.UTF8ToString(m._talvex_version()), /^\d+\.\d+\.\d+/, 'the version');

  // A script drawn into the bytes a canvas takes: opaque, not all background.
  let script = text(m, 'z = sin(x)*cos(y)');
  assert.strictEqual(m._TALVEX_ControlSetScript(chart, 0, script), 0, 'SetScript');
  assert.strictEqual(m._TALVEX_ControlCalculate(chart), 0, 'Calculate');
  const bytes = m._malloc(width * height * 4);
  assert.strictEqual(m._talvex_web_picture(chart, bytes, width, height), 0, 'picture');
  const pixels = m.HEAPU8.subarray(bytes, bytes + width * height * 4);
  let drawn = 0, opaque = true;
  for (let i = 0; i < width * height; ++i) {
    if (pixels[4 * i + 3] !== 255) opaque = false;
    if (pixels[4 * i] !== 255 || pixels[4 * i + 1] !== 255 || pixels[4 * i + 2] !== 255) ++drawn;
  }
  assert.ok(opaque, 'every pixel opaque');
  assert.ok(drawn > 1000, 'the surface is drawn: ' + drawn + ' pixels');
  assert.strictEqual(m._talvex_web_picture(chart, bytes, width + 1, height), -2147024809, 'a size not the chart\'s');

  // A broken script: its code, its line and the library's sentence.
  m._free(script);
  script = text(m, 'z = 1\r\nz = (x');
  const code = m._TALVEX_ControlSetScript(chart, 1, script);
  assert.notStrictEqual(code, 0, 'a broken script is refused');
  assert.strictEqual(m._TALVEX_ControlScriptGetErrorLine(chart, 1), 1, 'on its second line');
  assert.match(m.UTF8ToString(m._talvex_error_text(code)), /\(/, 'the sentence names the bracket');

  // Data: a grid of heights with a hole.
  const z = m._malloc(9 * 8);
  m.HEAPF64.set([0, 1, 0, 1, NaN, 1, 0, 1, 0], z / 8);
  assert.strictEqual(m._talvex_set_grid(chart, 2, 3, 3, z, 0, 0, 0, 0), 0, 'a grid');
  assert.strictEqual(m._talvex_web_picture(chart, bytes, width, height), 0, 'picture with data');

  m._TALVEX_ControlDestroy(chart);
  m._talvex_window_destroy(host);
  console.log('the module draws, reports and takes data');
}).catch((error) => {
  console.error(error);
  process.exit(1);
});
