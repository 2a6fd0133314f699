import re

import pytest

import talvex
from conftest import REPOSITORY, SURFACE
from talvex import _codes


def test_sentences_match_the_header():
    with open(f"{REPOSITORY}/include/talvex_codes.h") as header:
        listed = {int(code): sentence for code, sentence in
                  re.findall(r'X\(kCompile\w+, (\d+), "((?:[^"\\]|\\.)*)"\)', header.read())}
    assert len(listed) >= 11
    assert listed == _codes.COMPILE_SENTENCES


def test_codes_without_a_sentence_of_the_packages_take_the_librarys():
    lost = 0x88760868 - (1 << 32)
    assert _codes.describe(lost) == "D3DERR_DEVICELOST: the graphics device is lost (code %d)" % lost
    assert _codes.describe(12345) == "code 0x00003039", "no code of the library's"
    assert talvex.library_version() == talvex.__version__


@pytest.mark.parametrize("text, code, line", [
    ("z = (x", 9, 1),
    ("z = 1\nz = (x", 9, 2),
    ("z = 1\r\nw = 2\r\nz = * x", 12, 3),
    ("z = 1\nz = x +", 13, 2),
    ("# a comment\nz = sin(x,y)", 20, 2),
    ("z = 1\nq", 6, 2),
    ("z = x $ y", 2, 1),
])
def test_a_script_that_does_not_compile_says_where_and_why(chart, text, code, line):
    with pytest.raises(talvex.ScriptError) as raised:
        chart.set_script(1, text)
    assert (raised.value.code, raised.value.line) == (code, line)
    assert raised.value.sentence == _codes.COMPILE_SENTENCES[code]
    assert str(raised.value) == "script 2, line %d: %s" % (line, _codes.COMPILE_SENTENCES[code])
    assert raised.value.slot == 1


def test_lf_and_crlf_scripts_draw_the_same(chart):
    pictures = []
    for text in ("w = 4\nz = x*y/w\n", "w = 4\r\nz = x*y/w\r\n"):
        chart.set_script(0, text)
        chart.calculate()
        pictures.append(chart.picture())
    assert (pictures[0] == pictures[1]).all()


def test_upper_case_scripts_compile_and_the_callers_text_stays(chart):
    text = "Z = SIN(X)*COS(Y)"
    chart.set_script(0, text)
    chart.calculate()
    assert text == "Z = SIN(X)*COS(Y)"


@pytest.mark.parametrize("slot", [-1, 3])
def test_slots_outside_0_to_2_are_refused(chart, slot):
    with pytest.raises(talvex.TalvexError) as raised:
        chart.set_script(slot, SURFACE)
    assert raised.value.code == 21
    assert isinstance(raised.value, ValueError) and "slot %d" % slot in str(raised.value)
    with pytest.raises(talvex.TalvexError):
        chart.del_script(slot)


def test_the_chart_knows_which_slots_hold_scripts(chart):
    chart.set_script(2, SURFACE)
    chart.set_script(0, "z = 1")
    assert [chart.script(slot) for slot in range(3)] == ["z = 1", None, SURFACE]
    # A script that does not compile leaves its slot empty, as in the library.
    with pytest.raises(talvex.ScriptError):
        chart.set_script(0, "z = (x")
    chart.del_script(2)
    chart.set_script(1, "")
    assert [chart.script(slot) for slot in range(3)] == [None, None, None]


@pytest.mark.parametrize("scripts, code, message", [
    ([], _codes.E_FAIL, "no script could be calculated"),
    (["z = foo*2"], 17, "script 1: 'foo' is used but never defined"),
    (["z = z + 1"], 19, "script 1: 'z' is defined in terms of itself"),
    (["z = x + y + t"], 18, "script 1: more than two free variables: x, y, t"),
    (["z = x", "z = k"], 17, "script 2: 'k' is used but never defined"),
])
def test_calculation_errors_name_slot_and_cause(chart, scripts, code, message):
    for slot, text in enumerate(scripts):
        chart.set_script(slot, text)
    with pytest.raises(talvex.CalculationError) as raised:
        chart.calculate()
    assert raised.value.code == code
    assert str(raised.value) == message


def test_every_failing_slot_is_told_and_the_others_drawn(chart):
    chart.set_script(0, "z = k")
    chart.set_script(1, "z = sin(x)*cos(y)")
    chart.set_script(2, "a = b\nb = a\nz = a")
    with pytest.raises(talvex.CalculationError) as raised:
        chart.calculate()
    assert raised.value.failures == {0: (17, "script 1: 'k' is used but never defined"),
                                     2: (19, "script 3: 'a' and 'b' are defined in terms of each other")}
    assert chart.geometry(1)[0] == "surface"


def test_a_picture_calculates_scripts_set_since_the_last_calculation(chart):
    axes_alone = chart.picture()
    chart.set_script(0, SURFACE)
    assert (chart.picture() != axes_alone).any(), "the surface is drawn without calculate()"
    chart.set_script(1, "z = k")
    with pytest.warns(UserWarning, match="script 2: 'k' is used but never defined"):
        chart.picture()


def test_a_deleted_script_is_not_drawn(surface):
    surface.del_script(0)
    with pytest.raises(talvex.CalculationError):
        surface.calculate()
