"""The playground (web/index.html with talvex.js) in headless Chromium, from the
file system and from a server on 127.0.0.1 started and stopped here: its
picture equals the native library's (talvex-plot's) to the bit; a broken
script is shown with its line and the picture kept; a drag turns the view,
the wheel zooms, a double click resets; bad input gets a message and the tab
stays responsive. Prints the frames a second turning three 100 x 100
surfaces at 800 x 600 in the chart style, the module's size and the time to
the first picture.

playground_test.py PAGE_DIRECTORY TALVEX_PLOT WORK_DIRECTORY
"""
import functools
import http.server
import os
import struct
import subprocess
import sys
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

WIDTH, HEIGHT = 800, 600
failures = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what)
    if not condition:
        failures.append(what)


def read_bmp(path):
    """The pixels of a 24-bit BMP as rows of (r, g, b) bytes, top row first."""
    with open(path, "rb") as file:
        data = file.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for row in range(abs(height)):
        source = row if height < 0 else abs(height) - 1 - row
        line = data[offset + source * stride: offset + source * stride + width * 3]
        rows.append(bytes(b for i in range(0, len(line), 3) for b in (line[i + 2], line[i + 1], line[i])))
    return b"".join(rows)


def wait_ready(driver):
    for _ in range(200):
        if driver.execute_script("return document.body.dataset.ready") == "yes":
            return True
        time.sleep(0.05)
    return False


def canvas_rgb(driver):
    """The canvas's pixels as r, g, b bytes, top row first."""
    data = driver.execute_script(
        "const d = document.getElementById('chart').getContext('2d').getImageData(0, 0, %d, %d).data;"
        "let s = ''; for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);"
        "return btoa(s);" % (WIDTH, HEIGHT))
    import base64
    return base64.b64decode(data)


def settle(driver):
    """Waits until the chart has drawn what is pending."""
    for _ in range(100):
        if not driver.execute_script("return window.chart.pending"):
            return
        time.sleep(0.02)


def main():
    page, plot, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    reference = os.path.join(work, "playground_reference.bmp")
    subprocess.run([plot, "-e", "z = sin(x)*cos(y)", "--size", "%dx%d" % (WIDTH, HEIGHT), "-o", reference],
                   check=True)
    native = read_bmp(reference)

    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=page)
    http.server.SimpleHTTPRequestHandler.log_message = lambda *args: None
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()

    options = Options()
    for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"]:
        options.add_argument(argument)
    driver = webdriver.Chrome(options=options)
    driver.set_script_timeout(60)
    try:
        for url in ["file://" + os.path.join(os.path.abspath(page), "index.html"),
                    "http://127.0.0.1:%d/index.html" % server.server_address[1]]:
            started = time.time()
            driver.get(url)
            check(wait_ready(driver), "the playground starts from " + url.split(":")[0])
            print("      first picture %.0f ms after the page was asked for" % ((time.time() - started) * 1000))
            settle(driver)
            check(canvas_rgb(driver) == native, "its picture equals talvex-plot's to the bit")

        first = canvas_rgb(driver)
        area = driver.find_element(By.ID, "script0")
        area.send_keys("*(x")
        settle(driver)
        message = driver.find_element(By.ID, "message0").text
        check(message.startswith("line 1:") and "(" in message, "a broken script is told with its line: " + message)
        check(canvas_rgb(driver) == first, "and the picture keeps the last good script")
        area.clear()
        area.send_keys("z = x*y/9")
        settle(driver)
        check(driver.find_element(By.ID, "message0").text == "", "a good script clears the message")
        check(canvas_rgb(driver) != first, "and is drawn")

        canvas = driver.find_element(By.ID, "chart")
        before = canvas_rgb(driver)
        ActionChains(driver).move_to_element(canvas).click_and_hold().move_by_offset(80, 30).release().perform()
        settle(driver)
        turned = canvas_rgb(driver)
        check(turned != before, "a drag turns the view")
        driver.execute_script("arguments[0].dispatchEvent(new WheelEvent('wheel', {deltaY: -100, bubbles: true,"
                              " cancelable: true}))", canvas)
        settle(driver)
        check(canvas_rgb(driver) != turned, "the wheel zooms")
        ActionChains(driver).double_click(canvas).perform()
        settle(driver)
        check(canvas_rgb(driver) == before, "a double click brings the first view back")
        check(driver.execute_script("return window.chart.png().startsWith('data:image/png;base64,')"),
              "the picture comes as a PNG")

        # Bad input: a message, and the page answers afterwards.
        for name, text in [("an empty script", ""), ("1 MB of text", "z = x" + " + x" * 262144),
                           ("binary garbage", "".join(chr(c) for c in range(1, 256)) * 4),
                           ("an unknown name", "z = q*w*e*r")]:
            started = time.time()
            result = driver.execute_script("return window.chart.setScript(1, arguments[0])", text)
            elapsed = time.time() - started
            answered = driver.execute_script("return 1 + 1") == 2
            told = result["ok"] or bool(result["message"])
            check(told and answered, "%s: %s (%.2f s)" % (name, result["message"] or "taken", elapsed))
        nan = driver.execute_script(
            "try { window.chart.setGrid(2, [[0, NaN], [1, 2]]); return 'taken'; } catch (e) { return e.message; }")
        check(nan == "taken", "data with NaN is taken (a hole)")
        refused = driver.execute_script(
            "try { window.chart.setGrid(2, [[NaN, NaN], [NaN, NaN]]); return ''; } catch (e) { return e.message; }")
        check("nothing to draw" in refused, "data without a finite point is refused: " + refused)

        # The speed of turning three 100 x 100 surfaces in the chart style.
        driver.execute_script(
            "const grid = 'xgrid = 99\\nygrid = 99\\n';"
            "window.chart.setScript(0, grid + 'z = sin(x)*cos(y)');"
            "window.chart.setScript(1, grid + 'z = sqrt(x^2 + y^2)');"
            "window.chart.setScript(2, grid + 'z = exp((x*x + y*y)/(0-8))*cos(x*y)*3');")
        milliseconds = driver.execute_script(
            "const start = performance.now();"
            "for (let i = 0; i < 20; ++i) { window.chart.turn(4, 0); window.chart.draw(); }"
            "return (performance.now() - start) / 20;")
        print("      turning three 100 x 100 surfaces at %d x %d (chart style, 4 samples): %.1f frames a second"
              % (WIDTH, HEIGHT, 1000.0 / milliseconds))
        print("      talvex.js (the module with its wasm and font inside): %d bytes"
              % os.path.getsize(os.path.join(page, "talvex.js")))
        # A server without a favicon is no fault of the page's.
        logs = [entry for entry in driver.get_log("browser")
                if entry["level"] == "SEVERE" and "favicon.ico" not in entry["message"]]
        check(not logs, "no error in the browser's console %s" % logs[:3])
    finally:
        driver.quit()
        server.shutdown()
    print("%d checks failed" % len(failures) if failures else "every check passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
