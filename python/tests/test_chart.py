import numpy as np
import pytest

import talvex
from conftest import SURFACE, count_pink
from talvex._pictures import read_bmp


def test_a_new_chart_has_the_library_defaults(chart):
    assert (chart.width, chart.height) == (200, 150)
    assert (chart.zoom, chart.background, chart.point_color) == (37, 0xFFFFFF, 0x000000)
    assert (chart.solid, chart.points, chart.axes, chart.left_handed) == (True, True, True, False)
    assert chart.z_distance == pytest.approx(1.5)


@pytest.mark.parametrize("name, value", [
    ("zoom", 0), ("zoom", 100), ("zoom", 50),
    ("background", 0x102030), ("point_color", 0xFF8000),
    ("solid", False), ("points", False), ("axes", False),
    ("z_distance", 2.75), ("left_handed", True),
])
def test_settings_read_back(chart, name, value):
    setattr(chart, name, value)
    assert getattr(chart, name) == value


@pytest.mark.parametrize("zoom", [-1, 101])
def test_zoom_outside_0_to_100_is_refused(chart, zoom):
    with pytest.raises(ValueError):
        chart.zoom = zoom
    assert chart.zoom == 37


def test_the_picture_is_rgb_of_the_charts_size(surface):
    picture = surface.picture()
    assert picture.shape == (150, 200, 3) and picture.dtype == np.uint8
    assert tuple(picture[0, 0]) == (255, 255, 255)
    assert count_pink(picture) > 2000


def test_the_picture_shows_the_settings(surface):
    surface.background = 0x102030
    assert tuple(surface.picture()[0, 0]) == (0x10, 0x20, 0x30)
    surface.axes = surface.points = False
    no_grid = surface.picture()
    assert ((no_grid == (0x10, 0x20, 0x30)).all(axis=2) | (no_grid[:, :, 0] > 100)).all(), \
        "with neither axes nor points only the background and the pink surface remain"
    surface.solid = False
    assert count_pink(surface.picture()) < 0.85 * count_pink(no_grid)


@pytest.mark.parametrize("change", [
    lambda c: c.turn(40, 10),
    lambda c: c.default_view(),
    lambda c: setattr(c, "zoom", 80),
    lambda c: setattr(c, "left_handed", True),
])
def test_view_changes_change_the_picture(surface, change):
    before = surface.picture()
    change(surface)
    assert (surface.picture() != before).any()


def test_a_turn_and_its_reverse_come_back(surface):
    before = surface.picture()
    surface.turn(30, -20)
    surface.turn(-30, 20)
    assert (surface.picture() == before).all()


def test_view_angles_read_and_set(surface):
    surface.default_view()
    assert surface.view_angles == (0.0, 0.0, 0.0)
    surface.isometric_view()
    assert surface.view_angles == pytest.approx((20, -30, 0), abs=1e-5)
    surface.default_view()
    straight = surface.picture()
    surface.view_angles = (45, 60, 0)
    assert surface.view_angles == pytest.approx((45, 60, 0), abs=1e-5)
    assert (surface.picture() != straight).any()
    surface.view_angles = (20, -30, 0)
    surface.turn(10, 0)
    assert surface.view_angles[1] == pytest.approx(-30 + 5 * 3.14 / 3.141592653589793, abs=1e-5)
    with pytest.raises(talvex.TalvexError):
        surface.view_angles = (float("nan"), 0, 0)


def test_left_handed_reads_the_chart(surface):
    assert surface.left_handed is False
    surface.left_handed = True
    assert surface.left_handed is True
    surface.left_handed = False
    assert surface.left_handed is False


def test_zoom_makes_the_surface_bigger(surface):
    small = count_pink(surface.picture())
    surface.zoom = 90
    assert count_pink(surface.picture()) > 1.5 * small


def test_resize_changes_the_pictures_shape(surface):
    surface.resize(120, 90)
    assert (surface.width, surface.height) == (120, 90)
    assert surface.picture().shape == (90, 120, 3)
    with pytest.raises(ValueError):
        surface.resize(0, 90)


def test_png_and_bmp_files_hold_the_picture(surface, tmp_path):
    picture = surface.picture()
    surface.save(tmp_path / "chart.bmp")
    assert (read_bmp(tmp_path / "chart.bmp") == picture).all()
    surface.save(tmp_path / "chart.PNG")
    assert (decode_png((tmp_path / "chart.PNG").read_bytes()) == picture).all()
    assert (decode_png(surface._repr_png_()) == picture).all()
    with pytest.raises(ValueError):
        surface.save(tmp_path / "chart.jpg")


def decode_png(data):
    """An 8-bit RGB PNG without interlacing, all rows of filter 0 (as written)."""
    import struct
    import zlib
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8: at + 8 + length]
        assert zlib.crc32(kind + body) & 0xFFFFFFFF == struct.unpack_from(">I", data, at + 8 + length)[0]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack_from(">IIBB", body)
            assert (depth, colour) == (8, 2)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    rows = np.frombuffer(zlib.decompress(idat), dtype=np.uint8).reshape(height, 1 + 3 * width)
    assert (rows[:, 0] == 0).all()
    return rows[:, 1:].reshape(height, width, 3)


def test_a_closed_chart_refuses_calls_and_frees_its_handle():
    with talvex.Chart() as chart:
        handle = chart.handle
        chart.set_script(0, SURFACE)
    lib = talvex._library.library()
    assert lib.TALVEX_ControlGetWidth(handle) == 0
    with pytest.raises(talvex.TalvexError):
        chart.picture()
    chart.close()  # twice is harmless


def test_charts_are_independent():
    with talvex.Chart(100, 80, style="classic") as one, talvex.Chart(60, 40, style="classic") as two:
        one.set_script(0, SURFACE)
        one.calculate()
        one.background = 0x000000
        assert two.picture().shape == (40, 60, 3)
        assert tuple(two.picture()[0, 0]) == (255, 255, 255)
        assert count_pink(two.picture()) == 0 < count_pink(one.picture())


# -- arguments ------------------------------------------------------------

@pytest.mark.parametrize("call, error, words", [
    (lambda c: c.set_script("0", SURFACE), TypeError, "slot must be an int, not str"),
    (lambda c: c.set_script(True, SURFACE), TypeError, "slot must be an int, not bool"),
    (lambda c: c.set_script(0.0, SURFACE), TypeError, "slot must be an int, not float"),
    (lambda c: c.set_script(0, None), TypeError, "a script is a str, not NoneType"),
    (lambda c: c.set_script(0, b"z = x"), TypeError, "a script is a str, not bytes"),
    (lambda c: c.del_script("1"), TypeError, "slot must be an int"),
    (lambda c: c.geometry(None), TypeError, "slot must be an int"),
    (lambda c: c.script(5), ValueError, "slot 5 is outside 0 ... 2"),
    (lambda c: setattr(c, "zoom", "big"), TypeError, "zoom must be an int, not str"),
    (lambda c: setattr(c, "zoom", 50.5), TypeError, "zoom must be an int, not float"),
    (lambda c: setattr(c, "zoom", 101), ValueError, "zoom takes 0 ... 100, not 101"),
    (lambda c: setattr(c, "background", 0x1000000), ValueError, "background takes 0x000000 ... 0xFFFFFF"),
    (lambda c: setattr(c, "point_color", -1), ValueError, "point_color takes 0x000000 ... 0xFFFFFF"),
    (lambda c: setattr(c, "background", "#ffffff"), TypeError, "background must be an int, not str"),
    (lambda c: setattr(c, "solid", "false"), TypeError, "solid must be True or False"),
    (lambda c: setattr(c, "axes", 0), TypeError, "axes must be True or False"),
    (lambda c: setattr(c, "left_handed", None), TypeError, "left_handed must be True or False"),
    (lambda c: setattr(c, "z_distance", "far"), TypeError, "z_distance must be a number"),
    (lambda c: setattr(c, "view_angles", (1, 2)), TypeError, "view_angles takes three numbers"),
    (lambda c: setattr(c, "view_angles", (1, "2", 3)), TypeError, "a view angle must be a number"),
    (lambda c: c.turn(30001, 0), ValueError, "dx takes -30000 ... 30000 pixels, not 30001"),
    (lambda c: c.turn(0, 1.5), TypeError, "dy must be an int, not float"),
    (lambda c: c.resize(0, 90), ValueError, "width takes 1 ... 16384 pixels, not 0"),
    (lambda c: c.resize(100, "90"), TypeError, "height must be an int, not str"),
    (lambda c: talvex.Chart(16385, 10), ValueError, "width takes 1 ... 16384 pixels"),
    (lambda c: c.save(42), TypeError, "path must be a str or os.PathLike, not int"),
    (lambda c: c.save(b"chart.png"), TypeError, "path must be a str or os.PathLike, not bytes"),
    (lambda c: c.geometry(0, coordinates="world"), ValueError, 'coordinates is "box" or "script", not \'world\''),
    (lambda c: c.save_mesh("chart.stl"), ValueError, "save_mesh writes .obj files, not 'chart.stl'"),
])
def test_wrong_arguments_are_refused_and_named(chart, call, error, words):
    before = repr(chart), chart.background, chart.solid, chart.axes, chart.z_distance, chart.view_angles
    with pytest.raises(error) as raised:
        call(chart)
    assert words in str(raised.value)
    assert (repr(chart), chart.background, chart.solid, chart.axes, chart.z_distance, chart.view_angles) == before


def test_numpy_integers_and_booleans_are_taken(chart):
    chart.zoom = np.int64(60)
    chart.background = np.uint32(0x102030)
    chart.solid = np.bool_(False)
    chart.set_script(np.int32(1), SURFACE)
    assert (chart.zoom, chart.background, chart.solid, chart.script(1)) == (60, 0x102030, False, SURFACE)


# -- calculating when the scripts changed ---------------------------------

@pytest.mark.parametrize("draw", [
    lambda c, tmp: c.picture(),
    lambda c, tmp: decode_png(c._repr_png_()),
    lambda c, tmp: (c.save(tmp / "chart.png"), decode_png((tmp / "chart.png").read_bytes()))[1],
    lambda c, tmp: (c.save(str(tmp / "chart.bmp")), read_bmp(tmp / "chart.bmp"))[1],
])
def test_a_changed_script_is_calculated_before_drawing(chart, tmp_path, draw):
    chart.set_script(0, SURFACE)
    assert count_pink(draw(chart, tmp_path)) > 2000
    # A new script replaces the old one in the picture without calculate().
    chart.set_script(0, "z = 10")
    replaced = draw(chart, tmp_path)
    chart.calculate()
    assert (replaced == chart.picture()).all()
    chart.del_script(0)
    chart.set_script(1, SURFACE)
    assert count_pink(draw(chart, tmp_path)) == 0, "slot 1 draws in its own colours"


def test_an_unchanged_chart_is_not_calculated_again(surface, monkeypatch):
    calls = []
    monkeypatch.setattr(surface, "calculate", lambda: calls.append(1))
    surface.picture()
    surface.zoom = 60
    surface.picture()
    assert calls == []
    surface.del_script(0)
    surface.picture()
    assert calls == [], "with every slot empty there is nothing to calculate"


def test_repr_tells_size_scripts_zoom_and_handedness(chart):
    assert repr(chart) == ("<talvex.Chart 200x150, no scripts, zoom 37, right-handed,"
                           " view turned 0 deg about x, 0 about y>")
    chart.set_script(2, SURFACE)
    chart.set_script(0, "z = 1")
    chart.zoom = 50
    assert "scripts in slots 0, 2 (not calculated yet), zoom 50," in repr(chart)
    chart.left_handed = True
    chart.isometric_view()
    chart.calculate()
    assert repr(chart) == ("<talvex.Chart 200x150, scripts in slots 0, 2 (calculated), zoom 50, left-handed,"
                           " view turned 20 deg about x, -30 about y>")
    chart.set_style("chart")
    assert repr(chart).endswith("left-handed, chart look seen from azimuth -60 deg, elevation 30>")
    chart.set_style("classic")
    chart.set_script(0, "z = k")
    with pytest.raises(talvex.CalculationError):
        chart.calculate()
    assert "scripts in slots 0, 2 (slot 0 failed), zoom 50," in repr(chart)
    chart.close()
    assert repr(chart) == "<talvex.Chart, closed>"
