import numpy as np
import pytest

import talvex
from conftest import SURFACE, count_pink


def test_charts_start_in_the_chart_look_and_take_a_look_by_name_or_by_value(chart):
    with talvex.Chart(120, 90) as made:
        assert made.style == talvex.Style(look="chart", samples=4)
        made.set_style("classic")
        assert made.style == talvex.Style(look="classic", samples=1)
    assert chart.style.look == "classic"
    chart.set_style("chart")
    assert chart.style == talvex.Style()
    wanted = talvex.Style(colormap="magma", color_by="x", lighting=False, equal_aspect=True, text_size=20,
                          title="Wellen αβ é", labels=("Zeit", "Ort", "Höhe"), samples=1)
    chart.style = wanted
    assert chart.style == wanted


def test_a_picture_too_large_for_4_samples_is_drawn_with_one_unless_4_are_asked_for():
    with talvex.Chart(9000, 8) as wide:
        assert wide.style == talvex.Style(look="chart", samples=1)
        with pytest.raises(talvex.TalvexError, match="4 samples per pixel at 9000 x 8"):
            wide.style = talvex.Style(samples=4)
        assert wide.style.samples == 1


@pytest.mark.parametrize("change, error, words", [
    ({"colormap": "jet"}, ValueError, "unknown colour map 'jet'"),
    ({"samples": 2}, ValueError, "samples"),
    ({"text_size": 3}, ValueError, "text size"),
    ({"text_size": float("nan")}, ValueError, "text size"),
    ({"look": "3d"}, ValueError, "look"),
    ({"color_by": "w"}, ValueError, "color_by"),
    ({"title": "x" * 256}, ValueError, "title"),
    ({"title": 5}, TypeError, "title"),
    ({"labels": ("x", "y")}, TypeError, "labels"),
    ({"lighting": "yes"}, TypeError, "lighting"),
    ({"samples": 1.0}, TypeError, "samples"),
])
def test_refused_styles_say_why_and_change_nothing(chart, change, error, words):
    with pytest.raises(error, match=words):
        chart.style = talvex.Style(**change)
    assert chart.style.look == "classic"


def test_a_style_that_is_no_style_is_a_type_error(chart):
    with pytest.raises(TypeError):
        chart.style = 3
    with pytest.raises(ValueError):
        chart.set_style("fancy")


def test_the_chart_look_draws_the_colour_map_not_the_chessboard(chart):
    chart.set_script(0, SURFACE)
    chart.calculate()
    classic = chart.picture()
    assert count_pink(classic) > 2000
    chart.style = talvex.Style(axes=False, colorbar=False)
    picture = chart.picture()
    assert count_pink(picture) == 0
    # viridis runs from purple through teal to yellow: all three are there.
    r, g, b = (picture[:, :, i].astype(int) for i in range(3))
    assert ((b > g + 30) & (r > 30)).sum() > 50, "purple"
    assert ((g > r + 60) & (b > r + 30)).sum() > 200, "teal"
    assert ((r > 150) & (g > 150) & (b < 100)).sum() > 20, "yellow"
    elevation, azimuth, _ = chart.view_angles
    assert (elevation, azimuth) == (30, -60)
    chart.set_style("classic")
    assert np.array_equal(chart.picture(), classic)
