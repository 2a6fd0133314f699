// TalvexChart: a chart of the WebAssembly library on a page's <canvas>.
// Load talvex.js (the module, the wasm inside it) first, then this file;
// both are plain scripts, so a page opened from the file system works.
//
//   const chart = await TalvexChart.create(canvas, {scripts: ['z = sin(x)*cos(y)']});
//   chart.setScript(1, 'x = cos(t)\ny = sin(t)\nz = t/5');
//   chart.setGrid(2, [[0, 1], [1, 0]]);
//   chart.setStyle({colorMap: 'magma', title: 'Waves'});
//
// A left drag turns the view, the wheel zooms, a double click resets.
// The chart draws when something changed, on the next animation frame,
// never in a loop of its own.
(function (global) {
  'use strict';

  // The layout of TalvexStyle (talvex_native.h) in the module's memory;
  // src/platform/web/module.cpp checks it against the compiler's.
  const STYLE = {
    size: 504, look: 4, colorMap: 8, colorBy: 24, lighting: 28, samples: 32, axes: 36, colorBar: 40,
    equalAspect: 44, textSize: 48, title: 56, axisNames: 312, axisNameSize: 64,
  };
  const LOOKS = {classic: 0, chart: 1};
  const E_INVALIDARG = -2147024809;
  const WM_MBUTTONUP = 0x0208;

  let modulePromise = null;

  // The module, made once for every chart of the page.
  function loadModule() {
    if (modulePromise === null) {
      if (typeof global.createTalvexModule !== 'function') {
        return Promise.reject(new Error('load talvex.js before talvex-chart.js'));
      }
      modulePromise = global.createTalvexModule();
    }
    return modulePromise;
  }

  class TalvexChart {
    // A chart on canvas: options.scripts (up to three texts), options.style
    // (as setStyle takes it). Resolves once the first picture is drawn.
    static async create(canvas, options = {}) {
      const module = await loadModule();
      const chart = new TalvexChart(module, canvas);
      chart.setStyle(Object.assign({look: 'chart', samples: 4}, options.style || {}));
      (options.scripts || []).forEach((text, slot) => {
        if (text) chart.setScript(slot, text);
      });
      chart.draw();
      return chart;
    }

    constructor(module, canvas) {
      this.module = module;
      this.canvas = canvas;
      this.width = canvas.width;
      this.height = canvas.height;
      this.host = module._talvex_window_create(this.width, this.height);
      this.handle = module._TALVEX_ControlCreate();
      let code = module._TALVEX_ControlInit(this.handle, this.host, 0, 1);
      if (code === 0) code = module._TALVEX_ControlSize(this.handle, this.width, this.height);
      if (code !== 0) throw new Error('the chart could not start: ' + this.sentence(code));
      this.pixels = module._malloc(this.width * this.height * 4);
      this.context = canvas.getContext('2d');
      this.pending = false;
      // The last text of each slot that compiled: a failed compile empties
      // a slot, and the picture is to keep what it showed.
      this.goodScripts = ['', '', ''];
      this.listen();
    }

    // The library's sentence for a code.
    sentence(code) {
      return this.module.UTF8ToString(this.module._talvex_error_text(code));
    }

    // A text in the module's memory, freed by the caller.
    text(value) {
      const size = this.module.lengthBytesUTF8(value) + 1;
      const address = this.module._malloc(size);
      this.module.stringToUTF8(value, address, size);
      return address;
    }

    // A script into slot 0, 1 or 2 ("" empties it), calculated at once.
    // Returns {ok, code, line, message}: line counts from 1, 0 when the
    // script compiled; a slot whose script fails keeps its last picture.
    setScript(slot, text) {
      const code = this.compile(slot, String(text));
      if (code !== 0) {
        const line = this.module._TALVEX_ControlScriptGetErrorLine(this.handle, slot) + 1;
        this.compile(slot, this.goodScripts[slot]);
        this.module._TALVEX_ControlCalculate(this.handle);
        return {ok: false, code, line, message: 'line ' + line + ': ' + this.sentence(code)};
      }
      this.goodScripts[slot] = String(text);
      this.module._TALVEX_ControlCalculate(this.handle);
      const failure = this.slotError(slot);
      this.redraw();
      return failure === null ? {ok: true, code: 0, line: 0, message: ''} : failure;
    }

    // The library's compile of a text (CR LF line ends, as it takes them).
    compile(slot, text) {
      const address = this.text(text.replace(/\r?\n/g, '\r\n'));
      const code = this.module._TALVEX_ControlSetScript(this.handle, slot, address);
      this.module._free(address);
      return code;
    }

    // What the last calculation said of the slot, or null.
    slotError(slot) {
      const m = this.module;
      const code = m._malloc(4), text = m._malloc(512);
      m._talvex_get_slot_error(this.handle, slot, code, text, 512);
      const result = m.HEAP32[code >> 2], message = m.UTF8ToString(text);
      m._free(code);
      m._free(text);
      return result === 0 ? null : {ok: false, code: result, line: 0, message};
    }

    // Heights z (an array of rows, x along each row) over a grid into a
    // slot; x and y, when given, one value a column and one a row. NaN
    // leaves a hole. Throws with the library's reason for data it refuses.
    setGrid(slot, z, x = null, y = null) {
      const rows = z.length, columns = rows > 0 ? z[0].length : 0;
      const flat = [];
      z.forEach((row) => {
        if (row.length !== columns) throw new Error('every row of z needs ' + columns + ' values');
        for (const value of row) flat.push(Number(value));
      });
      this.setData((why, size, arrays) => this.module._talvex_set_grid(
          this.handle, slot, columns, rows, arrays[0], arrays[1], arrays[2], why, size), [flat, x, y]);
    }

    // Any surface as three arrays of rows of one shape (a sphere, a torus).
    setSurface(slot, x, y, z) {
      const rows = z.length, columns = rows > 0 ? z[0].length : 0;
      const flat = (array, name) => {
        if (array.length !== rows || array.some((row) => row.length !== columns)) {
          throw new Error(name + ' needs ' + rows + ' rows of ' + columns + ' values, as z');
        }
        return [].concat(...array.map((row) => Array.from(row, Number)));
      };
      const arrays = [flat(x, 'x'), flat(y, 'y'), flat(z, 'z')];
      this.setData((why, size, addresses) => this.module._talvex_set_surface(
          this.handle, slot, columns, rows, addresses[0], addresses[1], addresses[2], why, size), arrays);
    }

    // Points (x[i], y[i], z[i]) as a cloud, or joined in order as a curve.
    setPoints(slot, x, y, z) { this.setLine(slot, x, y, z, '_talvex_set_points'); }
    setCurve(slot, x, y, z) { this.setLine(slot, x, y, z, '_talvex_set_curve'); }

    setLine(slot, x, y, z, name) {
      if (x.length !== y.length || y.length !== z.length) throw new Error('x, y and z need one length');
      this.setData((why, size, arrays) => this.module[name](
          this.handle, slot, z.length, arrays[0], arrays[1], arrays[2], why, size), [x, y, z]);
    }

    // Copies the arrays (null stays null) into the module, calls set, frees.
    setData(set, arrays) {
      const m = this.module;
      const addresses = arrays.map((values) => {
        if (values === null || values === undefined) return 0;
        const address = m._malloc(Math.max(1, values.length) * 8);
        m.HEAPF64.set(Array.from(values, Number), address / 8);
        return address;
      });
      const why = m._malloc(256);
      const code = set(why, 256, addresses);
      const reason = m.UTF8ToString(why);
      addresses.forEach((address) => { if (address) m._free(address); });
      m._free(why);
      if (code !== 0) throw new Error(code === E_INVALIDARG && reason ? reason : this.sentence(code));
      this.redraw();
    }

    // The style: look ('chart' or 'classic'), colorMap, title, labels
    // (three names), samples (1 or 4), lighting, axes, colorBar,
    // equalAspect. Fields not given keep their value. Throws with the
    // library's reason, keeping the old style, for a value it refuses.
    setStyle(options) {
      const m = this.module;
      const style = m._malloc(STYLE.size);
      m.HEAPU32[style >> 2] = STYLE.size;
      m._talvex_get_style(this.handle, style);
      const int = (offset, value) => { m.HEAP32[(style + offset) >> 2] = value ? Number(value) : 0; };
      const string = (offset, value, size) => { m.stringToUTF8(String(value), style + offset, size); };
      if ('look' in options) {
        if (!(options.look in LOOKS)) throw new Error('a look is "chart" or "classic", not ' + options.look);
        int(STYLE.look, LOOKS[options.look]);
      }
      if ('colorMap' in options) string(STYLE.colorMap, options.colorMap, 16);
      if ('title' in options) string(STYLE.title, options.title, 256);
      if ('labels' in options) options.labels.forEach((name, axis) =>
        string(STYLE.axisNames + axis * STYLE.axisNameSize, name, STYLE.axisNameSize));
      for (const field of ['samples', 'lighting', 'axes', 'colorBar', 'equalAspect']) {
        if (field in options) int(STYLE[field], field === 'samples' ? options.samples : options[field] ? 1 : 0);
      }
      const why = m._malloc(256);
      const code = m._talvex_set_style(this.handle, style, why, 256);
      const reason = m.UTF8ToString(why);
      m._free(why);
      m._free(style);
      if (code !== 0) throw new Error(reason || this.sentence(code));
      this.redraw();
    }

    // The view's angles in degrees, as talvex_set_view_angles takes them
    // (the chart style: elevation, azimuth, roll).
    setView(first, second, third) {
      this.module._talvex_set_view_angles(this.handle, first, second, third);
      this.redraw();
    }

    // The view: a left drag of so many pixels, as the mouse turns it.
    turn(right, down) {
      this.module._talvex_turn_view(this.handle, right, down);
      this.redraw();
    }

    // Zoom in (a positive number of wheel notches) or out, 0.1 a notch.
    zoom(notches) {
      for (let i = 0; i < Math.abs(notches); ++i) {
        // A wheel message's delta sits in the high word of its first parameter.
        this.module._TALVEX_ControlMouseWheel(this.handle, (notches > 0 ? 120 : -120) << 16, 0);
      }
      this.redraw();
    }

    // Zoom 1.0 and the first view of the look again, as the middle button
    // gives them in every host.
    reset() {
      const window = this.module._talvex_window_find_child(this.host, 1);
      this.module._talvex_window_send(window, WM_MBUTTONUP, 0, 0);
      this.redraw();
    }

    // Draws on the next animation frame (once, however many changes).
    redraw() {
      if (this.pending) return;
      this.pending = true;
      const frame = global.requestAnimationFrame || ((callback) => setTimeout(callback, 0));
      frame(() => {
        this.pending = false;
        this.draw();
      });
    }

    // Draws now; returns the library's code.
    draw() {
      const m = this.module;
      const code = m._talvex_web_picture(this.handle, this.pixels, this.width, this.height);
      if (code !== 0) return code;
      const bytes = new Uint8ClampedArray(m.HEAPU8.buffer, this.pixels, this.width * this.height * 4);
      this.context.putImageData(new ImageData(new Uint8ClampedArray(bytes), this.width, this.height), 0, 0);
      return 0;
    }

    // A PNG of the picture, as a data URL.
    png() { return this.canvas.toDataURL('image/png'); }

    listen() {
      let last = null;
      this.canvas.addEventListener('mousedown', (event) => {
        if (event.button === 0) last = {x: event.clientX, y: event.clientY};
      });
      global.addEventListener('mouseup', () => { last = null; });
      global.addEventListener('mousemove', (event) => {
        if (last === null) return;
        const right = event.clientX - last.x, down = event.clientY - last.y;
        last = {x: event.clientX, y: event.clientY};
        if (right !== 0 || down !== 0) this.turn(right, down);
      });
      this.canvas.addEventListener('wheel', (event) => {
        event.preventDefault();
        this.zoom(event.deltaY < 0 ? 1 : -1);
      }, {passive: false});
      this.canvas.addEventListener('dblclick', () => this.reset());
    }
  }

  global.TalvexChart = TalvexChart;
})(typeof window !== 'undefined' ? window : globalThis);
