"""chart.interactive(): the live chart in a notebook's output, computed and
drawn by the browser. Its picture in headless Chromium is the chart's own."""
import os
import shutil
import time

import numpy as np
import pytest

import talvex


def _chart() -> talvex.Chart:
    chart = talvex.Chart(240, 180, style=talvex.Style(title="Live", samples=4))
    chart.set_script(0, "z = sin(x)*cos(y)")
    z = np.add.outer(np.arange(5.0), np.arange(6.0))
    z[2, 3] = np.nan
    chart.set_grid(1, z, x=np.linspace(-4, 4, 6))
    chart.set_points(2, [1, 2, 3], [0, 1, 0], [2, 3, 4])
    chart.view_angles = (25, -40, 0)
    return chart


def test_the_html_holds_the_module_and_the_chart():
    with _chart() as chart:
        html = chart.interactive()._repr_html_()
    assert "createTalvexModule" in html and "TalvexChart" in html
    assert 'width="240" height="180"' in html
    assert "z = sin(x)*cos(y)" in html and '"title": "Live"' in html
    assert "null" in html, "the hole travels as null"
    live = talvex.plot("z = x*y", interactive=True)
    assert isinstance(live, talvex.Interactive) and "z = x*y" in live._repr_html_()


def test_the_browser_draws_the_charts_own_picture(tmp_path):
    webdriver = pytest.importorskip("selenium.webdriver")
    if shutil.which("chromedriver") is None:
        pytest.skip("no chromedriver")
    with _chart() as chart:
        page = str(tmp_path / "live.html")
        chart.interactive().save(page)
        expected = chart.picture()
    options = webdriver.ChromeOptions()
    for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"]:
        options.add_argument(argument)
    driver = webdriver.Chrome(options=options)
    try:
        driver.get("file://" + os.path.abspath(page))
        canvas = driver.find_element("css selector", "canvas")
        for _ in range(200):
            if canvas.get_attribute("data-ready") == "yes":
                break
            time.sleep(0.05)
        assert canvas.get_attribute("data-ready") == "yes", driver.find_element("css selector", "div div").text
        data = driver.execute_script(
            "const c = arguments[0]; return Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data)",
            canvas)
        shown = np.array(data, dtype=np.uint8).reshape(180, 240, 4)[:, :, :3]
        assert np.array_equal(shown, expected), "%d pixels differ" % int((shown != expected).any(axis=2).sum())
        before = shown
        webdriver.ActionChains(driver).move_to_element(canvas).click_and_hold().move_by_offset(40, 10) \
            .release().perform()
        time.sleep(0.3)
        data = driver.execute_script(
            "const c = arguments[0]; return Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data)",
            canvas)
        assert not np.array_equal(np.array(data, dtype=np.uint8).reshape(180, 240, 4)[:, :, :3], before), \
            "a drag turns it"
    finally:
        driver.quit()
