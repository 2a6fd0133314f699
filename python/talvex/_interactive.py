"""The chart as a live canvas in a notebook's output: the WebAssembly module
and talvex-chart.js inside the HTML, with the chart's scripts, data, style and
view, so that the browser computes and draws it and it still turns in an HTML
export of the notebook, without the kernel."""

import json
import math
import os
import uuid
from typing import TYPE_CHECKING, Any, Dict, List, Optional

if TYPE_CHECKING:
    from .chart import Chart

_HERE = os.path.dirname(os.path.abspath(__file__))
# The package's copy, or the repository's web/ for a checkout used in place.
_WEB_DIRECTORIES = [os.path.join(_HERE, "web"), os.path.join(os.path.dirname(os.path.dirname(_HERE)), "web")]


def _web_file(name: str) -> str:
    for directory in _WEB_DIRECTORIES:
        path = os.path.join(directory, name)
        if os.path.exists(path):
            with open(path, encoding="utf-8") as file:
                return file.read()
    raise FileNotFoundError("talvex: %s is in neither %s" % (name, " nor ".join(_WEB_DIRECTORIES)))


def _plain(values: Any) -> Any:
    """Numbers for JSON: a value that is not finite as null (a hole)."""
    if isinstance(values, list):
        return [_plain(value) for value in values]
    number = float(values)
    return number if math.isfinite(number) else None


class Interactive:
    """What chart.interactive() gives: shown by a notebook as the live chart."""

    def __init__(self, html: str) -> None:
        self.html = html

    def _repr_html_(self) -> str:
        return self.html

    def save(self, path: str) -> None:
        """A page of its own with the live chart."""
        with open(path, "w", encoding="utf-8") as file:
            file.write("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>\n%s\n</body></html>\n"
                       % self.html)


def interactive_html(chart: "Chart", data: Dict[int, Dict[str, Any]]) -> str:
    """The HTML of a live chart of chart's size, scripts, data (by slot) and style."""
    style = chart.style
    spec: Dict[str, Any] = {
        "style": {"look": style.look, "colorMap": style.colormap, "title": style.title,
                  "labels": list(style.labels), "samples": style.samples, "lighting": style.lighting,
                  "axes": style.axes, "colorBar": style.colorbar, "equalAspect": style.equal_aspect},
        "scripts": [chart.script(slot) or "" for slot in range(3)],
        "data": {str(slot): {key: value if key == "kind" or value is None else _plain(value)
                             for key, value in values.items()}
                 for slot, values in data.items()},
        "view": list(chart.view_angles),
    }
    element = "talvex-" + uuid.uuid4().hex
    # The module and the chart class once a page, however many charts it shows.
    module = "if (typeof createTalvexModule === 'undefined') {\n%s\n}" % _web_file("talvex.js")
    chart_class = "if (typeof TalvexChart === 'undefined') {\n%s\n}" % _web_file("talvex-chart.js")
    start = """(function () {
  const spec = %s;
  const holes = (values) => Array.isArray(values) ? values.map(holes) : (values === null ? NaN : values);
  TalvexChart.create(document.getElementById('%s'), {style: spec.style, scripts: spec.scripts}).then((chart) => {
    for (const [slot, d] of Object.entries(spec.data)) {
      const s = Number(slot);
      if (d.kind === 'grid') chart.setGrid(s, holes(d.z), d.x && holes(d.x), d.y && holes(d.y));
      else if (d.kind === 'surface') chart.setSurface(s, holes(d.x), holes(d.y), holes(d.z));
      else if (d.kind === 'curve') chart.setCurve(s, holes(d.x), holes(d.y), holes(d.z));
      else chart.setPoints(s, holes(d.x), holes(d.y), holes(d.z));
    }
    chart.setView(spec.view[0], spec.view[1], spec.view[2]);
    chart.draw();
    chart.canvas.dataset.ready = 'yes';
  }).catch((error) => { document.getElementById('%s-error').textContent = String(error); });
})();""" % (json.dumps(spec), element, element)
    return ('<div class="talvex-interactive"><canvas id="%s" width="%d" height="%d" style="cursor: grab"></canvas>'
            '<div id="%s-error" style="color: #b00020"></div>\n<script>\n%s\n</script>\n<script>\n%s\n</script>\n'
            '<script>\n%s\n</script></div>' % (element, chart.width, chart.height, element, module, chart_class, start))


def slot_data(kind: int, columns: int, rows: int, x: Optional[List[float]], y: Optional[List[float]],
              z: List[float]) -> Dict[str, Any]:
    """A data slot as the page's loader takes it, from talvex_get_slot_data's shape and arrays."""
    def rows_of(values: List[float]) -> List[List[float]]:
        return [values[r * columns:(r + 1) * columns] for r in range(rows)]
    if kind == 1:
        return {"kind": "grid", "z": rows_of(z), "x": x, "y": y}
    if kind == 2:
        return {"kind": "surface", "x": rows_of(x or []), "y": rows_of(y or []), "z": rows_of(z)}
    return {"kind": "curve" if kind == 3 else "points", "x": x, "y": y, "z": z}
