import warnings

import numpy as np
import pytest

import talvex
from talvex._arrays import as_values


def test_surface_of_heights_over_a_grid():
    x = np.linspace(0, 1, 5)
    y = np.array([10.0, 20.0, 30.0])
    z = np.arange(15.0).reshape(3, 5) * 1e6
    with talvex.surface(z, x=x, y=y, width=160, height=120) as chart:
        kind, vertices, indices = chart.geometry(0, coordinates="script")
        assert kind == "surface"
        assert vertices.shape == (15, 3)
        np.testing.assert_allclose(vertices[:, 2], z.ravel(), rtol=1e-6)
        np.testing.assert_allclose(vertices[:, 1], np.repeat(y, 5), rtol=1e-6)
        assert len(indices) == 2 * 4 * 6, "eight cells, two triangles each"
        assert chart.picture().shape == (120, 160, 3)


def test_a_large_grid_keeps_every_cell():
    # 90,000 vertices: more than a 16-bit index names.
    z = np.add.outer(np.arange(300.0), np.arange(300.0))
    with talvex.surface(z, width=160, height=120) as chart:
        kind, vertices, indices = chart.geometry(0)
        assert kind == "surface"
        assert vertices.shape == (90000, 3)
        assert len(indices) == 299 * 299 * 6
        assert indices.max() == 89999


def test_each_axis_fills_the_box_unless_told_otherwise():
    with talvex.Chart(160, 120) as chart:
        chart.set_grid(0, [[0.0, 1e6], [0.0, 0.0]], x=[0.0, 1.0])
        _, box, _ = chart.geometry(0)
        assert box[:, 0].min() == -100 and box[:, 0].max() == 100, "x's 0 .. 1 fills the box"
        assert abs(box[:, 2]).max() == 100, "so do the heights of a million"
        chart.set_range("z", 0, 2e6)
        assert chart.get_range("z") == (0.0, 2e6)
        _, box, _ = chart.geometry(0)
        assert abs(box[:, 2]).max() == 100 and sorted(set(abs(box[:, 2]))) == [0.0, 100.0]
        chart.set_range("z")
        assert chart.get_range("z") is None
        chart.set_grid(1, [[0.0, 1.0], [0.0, 0.0]])
        chart.shared_box = True
        assert chart.shared_box
        _, box, _ = chart.geometry(1)
        assert abs(box[1, 2] - box[0, 2]) < 0.01, "a height of 1 is small beside slot 0's million"
        for bad in [("w", 0, 1), ("z", 1, 0), ("z", 0, float("inf")), (3, 0, 1)]:
            with pytest.raises(ValueError):
                chart.set_range(*bad)
        with pytest.raises(ValueError):
            chart.set_range("z", 0)


def test_a_script_grid_cut_to_fit_is_told():
    with talvex.Chart(120, 90) as chart:
        chart.set_script(0, "z = x*y\nxgrid = 1000\nygrid = 1000")
        with pytest.warns(UserWarning, match="slot 0: its grid of 1000 x 1000 cells was reduced to"):
            chart.calculate()
        chart.set_script(0, "z = x*y")
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            chart.calculate()


def test_any_array_like_and_holes():
    with talvex.Chart(120, 90) as chart:
        chart.set_grid(0, [[1, 2, 3], [4, 5, 6]])  # lists of ints
        assert chart.geometry(0)[0] == "surface"
        masked = np.ma.masked_array(np.ones((3, 3)), mask=[[0, 0, 0], [0, 1, 0], [0, 0, 0]])
        chart.set_grid(1, masked)
        _, vertices, indices = chart.geometry(1, coordinates="script")
        assert np.isnan(vertices[4, 2]), "the masked value is a hole"
        assert len(indices) == 0, "every cell of a 3 x 3 grid touches its middle"
        strided = np.arange(40.0).reshape(4, 10)[:, ::2]  # not contiguous
        chart.set_grid(2, strided.astype(np.float32))
        assert chart.geometry(2)[1].shape == (20, 3)
        chart.set_points(0, [0, 1, np.nan], [0, 1, 2], [0, 1, 2])
        kind, _, indices = chart.geometry(0)
        assert kind == "cloud" and list(indices) == [0, 1]
        chart.set_curve(1, (0, 1, 2), (0, 1, 0), (0, 0, 1))
        assert chart.geometry(1)[0] == "curve"
        assert repr(chart).startswith("<talvex.Chart 120x90, data in slots 0, 1, 2, zoom")
        chart.set_script(1, "z = x")
        chart.calculate()
        assert chart.geometry(1)[1].shape[0] == 21 * 21, "a script replaces the data"
        assert "script in slot 1 (calculated), data in slots 0, 2" in repr(chart)


def test_the_data_comes_back_to_the_digit(tmp_path):
    z = np.array([[0.1, 1e-300, 2.0 / 3.0], [np.nan, 5.5, 1e300]])
    x = np.array([0.7, 1.1, 1.3])
    with talvex.Chart(80, 60) as chart:
        chart.set_grid(0, z, x=x)
        _, vertices, _ = chart.geometry(0, coordinates="script")
        assert np.array_equal(vertices[:, 2], z.ravel(), equal_nan=True)
        assert np.array_equal(vertices[:, 0], np.tile(x, 2))
        assert np.array_equal(vertices[:, 1], [0, 0, 0, 1, 1, 1])
        path = tmp_path / "data.obj"
        chart.save_mesh(path)
        read = [tuple(float(v) for v in line.split()[1:]) for line in path.read_text().splitlines()
                if line.startswith("v ")]
        kept = [tuple(v) for v in vertices if np.isfinite(v).all()]
        assert read == kept, "every value as given, the hole left out"
        faces = [line for line in path.read_text().splitlines() if line.startswith("f ")]
        # The one cell without the hole, its corners numbered among the kept vertices.
        assert faces == ["f 2 3 4", "f 3 5 4"], faces


def test_a_contiguous_float64_array_is_passed_as_it_is():
    z = np.zeros((4, 4))
    assert as_values(z, "z", 2) is z
    assert as_values(z.T, "z", 2) is not z


@pytest.mark.parametrize("call, error, words", [
    (lambda c: c.set_grid(0, np.zeros((2, 2, 2))), ValueError, r"z must be 2-dimensional, not of shape \(2, 2, 2\)"),
    (lambda c: c.set_grid(0, np.zeros((0, 3))), ValueError, r"z is empty \(shape \(0, 3\)\)"),
    (lambda c: c.set_grid(0, np.zeros((2, 3)), x=[0, 1]), ValueError, "x must have 3 values"),
    (lambda c: c.set_grid(0, np.zeros((2, 3)), y=[0, 1, 2]), ValueError, "y must have 2 values"),
    (lambda c: c.set_grid(0, np.broadcast_to(0.0, (5000, 4000))), ValueError, "20000000 values, more than a slot holds"),
    (lambda c: c.set_grid(0, [["a", "b"]]), TypeError, "z must hold real numbers"),
    (lambda c: c.set_grid(0, np.ones((2, 2), dtype=complex)), TypeError, "z must hold real numbers"),
    (lambda c: c.set_grid(0, "heights"), TypeError, "z must be an array of numbers"),
    (lambda c: c.set_grid(0, np.full((2, 2), np.nan)), ValueError, "nothing to draw"),
    (lambda c: c.set_surface(0, np.zeros((2, 3)), np.zeros((3, 2)), np.zeros((2, 3))), ValueError,
     r"x, y, z must have one shape, not \(2, 3\), \(3, 2\), \(2, 3\)"),
    (lambda c: c.set_points(0, [1, 2], [1, 2], [1]), ValueError, "x, y, z must have one shape"),
    (lambda c: c.set_curve(3, [1], [1], [1]), ValueError, "slot 3"),
])
def test_bad_data_is_refused_naming_the_argument(call, error, words):
    with talvex.Chart(80, 60) as chart:
        chart.set_grid(0, [[1, 2], [3, 4]])
        with pytest.raises(error, match=words):
            call(chart)
        assert chart.geometry(0)[1].shape == (4, 3), "the slot kept its data"


def test_one_call_charts():
    u, v = np.meshgrid(np.linspace(0, 2 * np.pi, 20), np.linspace(0, np.pi, 10))
    with talvex.surface(np.cos(u) * np.sin(v), np.sin(u) * np.sin(v), np.cos(v), title="sphere") as sphere:
        assert sphere.style.title == "sphere" and sphere.style.look == "chart"
        assert sphere.geometry(0)[0] == "surface"
    with talvex.scatter([0, 1], [1, 0], [0, 0]) as cloud:
        assert cloud.geometry(0)[0] == "cloud"
    with talvex.curve([0, 1], [1, 0], [0, 0], style="classic") as line:
        assert line.style.look == "classic"
    with talvex.plot("z = x*y", "x = t; y = t; z = t") as scripts:
        assert scripts.geometry(1)[0] == "curve"
    with pytest.raises(TypeError, match="takes Z, or X, Y and Z"):
        talvex.surface(np.zeros((2, 2)), np.zeros((2, 2)))
    with pytest.raises(TypeError, match="one to three scripts"):
        talvex.plot()
