import numpy as np
import pytest

import talvex
from conftest import NATIVE_HEADER
from talvex._library import library

pytestmark = pytest.mark.skipif(not NATIVE_HEADER, reason="this tree has no include/talvex_native.h")


def test_the_library_has_the_native_interface():
    assert library().has("talvex_get_slot_geometry") and library().has("talvex_render_picture")


@pytest.mark.parametrize("script, kind, per_primitive", [
    ("z = sin(x)*cos(y)", "surface", 3),
    ("x = 4*cos(t)\ny = 4*sin(t)\nz = t - 3", "curve", 2),
    ("x = 1\ny = 2\nz = 3", "point", 1),
])
def test_each_kind_of_graph(chart, script, kind, per_primitive):
    chart.set_script(1, script)
    chart.calculate()
    got, vertices, indices = chart.geometry(1)
    assert got == kind
    assert vertices.dtype == np.float32 and vertices.ndim == 2 and vertices.shape[1] == 3
    assert len(vertices) > 0 and np.isfinite(vertices).all()
    assert indices.ndim == 1 and np.issubdtype(indices.dtype, np.integer)
    if kind != "point":
        assert len(indices) > 0 and len(indices) % per_primitive == 0
        assert 0 <= indices.min() and indices.max() < len(vertices)


def test_a_surface_holds_its_values(chart):
    chart.set_script(0, "z = x*y/10")
    chart.calculate()
    _, vertices, _ = chart.geometry(0)
    # Box coordinates: with the default scale of 10 a script unit is 10 box
    # units, so X = 10x, Y = 10y, and z = xy/10 is Z = -XY/100 on a
    # right-handed chart (z points away from the viewer) and +XY/100 on a
    # left-handed one.
    x, y, z = vertices[:, 0], vertices[:, 1], vertices[:, 2]
    assert x.min() == -50 and x.max() == 50 and y.min() == -50 and y.max() == 50
    assert np.allclose(z, -x * y / 100, atol=1e-3)
    chart.left_handed = True
    chart.calculate()
    _, vertices, _ = chart.geometry(0)
    assert np.allclose(vertices[:, 2], vertices[:, 0] * vertices[:, 1] / 100, atol=1e-3)


def test_an_empty_slot_has_no_geometry(chart):
    chart.set_script(0, "z = 1")
    chart.calculate()
    kind, vertices, indices = chart.geometry(2)
    assert kind == "none" and vertices.shape == (0, 3) and indices.shape == (0,)


def test_the_arrays_are_copies(chart):
    chart.set_script(0, "z = x")
    chart.calculate()
    _, vertices, indices = chart.geometry(0)
    kept = vertices.copy(), indices.copy()
    chart.set_script(0, "x = 1\ny = 2\nz = 3")
    chart.calculate()
    chart.resize(90, 60)
    assert (vertices == kept[0]).all() and (indices == kept[1]).all()


def test_slots_outside_0_to_2_are_refused(chart):
    with pytest.raises(talvex.TalvexError) as raised:
        chart.geometry(3)
    assert raised.value.code == 21


def test_script_coordinates_are_the_scripts_own(chart, tmp_path):
    chart.set_script(0, "x = 1\ny = 2\nz = 3")
    chart.set_script(1, "z = x*y/4")
    chart.calculate()
    kind, vertices, _ = chart.geometry(0, coordinates="script")
    assert kind == "point" and vertices.tolist() == [[1.0, 2.0, 3.0]]
    assert chart.geometry(0)[1].tolist() == [[10.0, 20.0, -30.0]], "the box, z negated"
    _, surface, indices = chart.geometry(1, coordinates="script")
    assert np.allclose(surface[:, 2], surface[:, 0] * surface[:, 1] / 4, atol=1e-4)
    # Counter-clockwise about d/dx x d/dy = (-y/4, -x/4, 1), whose z is
    # positive everywhere, in the script's own coordinates.
    a, b, c = (surface[i] for i in indices[:3])
    assert np.cross(b - a, c - a)[2] > 0
    chart.left_handed = True
    _, _, mirrored = chart.geometry(1, coordinates="script")
    a, b, c = (chart.geometry(1, coordinates="script")[1][i] for i in mirrored[:3])
    assert np.cross(b - a, c - a)[2] > 0, "the same winding whatever the handedness"
    path = tmp_path / "chart.obj"
    chart.save_mesh(path)
    lines = path.read_text().splitlines()
    assert lines[0].startswith("# TALVEX chart geometry in the scripts' own coordinates")
    assert "v 1 2 3" in lines and "p 1" in lines
