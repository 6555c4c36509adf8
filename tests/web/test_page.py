#!/usr/bin/python3
"""The web page in headless Chromium, opened from disk with the network off,
against quillon-cli: its tables byte for byte for pictures of every kind under
every option, text, and tables pasted; its controls driven by clicks and keys
and its drawn dots read back; hostile pictures; Download; keyboard and labels;
a dark colour scheme; the redraw time of a slider move on a 1920 x 1080 photo.

  /usr/bin/python3 test_page.py PAGE QUILLON-CLI [--screenshot PNG] [--dark-screenshot PNG]

Needs Debian's chromium, chromium-driver and python3-selenium, and ImageMagick.
"""
import argparse
import base64
import concurrent.futures
import json
import pathlib
import re
import shlex
import struct
import subprocess
import sys
import tempfile
import time
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

WIDTH, HEIGHT, SCALE = 122, 32, 6
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, file=sys.stderr)
    return condition


def cli(*args, cwd=None):
    """quillon-cli's exit code, standard output and its one-line message."""
    done = subprocess.run([CLI, *map(str, args)], cwd=cwd, capture_output=True)
    said = done.stderr.decode().strip().splitlines()
    return done.returncode, done.stdout, said[0].removeprefix("quillon-cli: ") if said else ""


def picture_args(options):
    words = []
    for key, value in options.items():
        if key in ("name", "label", "format") or (key, value) == ("flip", "none"):  # quillon-cli takes h or v
            continue
        words += [f"--{key}"] if value is True else [f"--{key}", str(value)]
    return words


def dots_of_preview(text):
    """quillon-cli preview's '#' and '.' as a string of 1 and 0, row by row."""
    rows = text.decode().splitlines()[:HEIGHT]
    return "".join(row.replace("#", "1").replace(".", "0") for row in rows)


def cli_dots(folder, name, options):
    code, out, said = cli("preview", *picture_args(options), name, cwd=folder)
    return dots_of_preview(out) if code == 0 else said


# --- the files ---

def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def make_files(folder):
    """Pictures of every kind, tables of every format, hostile files; name -> path."""
    magick = [
        ("gray.png", ["base.ppm", "-colorspace", "gray", "-define", "png:color-type=0"]),
        ("gray-alpha.png", ["base.ppm", "-colorspace", "gray", "-alpha", "set", "-channel", "A", "-evaluate", "set",
                            "60%", "+channel", "-define", "png:color-type=4"]),
        ("rgb.png", ["base.ppm", "-define", "png:color-type=2"]),
        ("palette.png", ["base.ppm", "-colors", "16", "-define", "png:color-type=3"]),
        ("rgba.png", ["base.ppm", "-transparent", "white", "-define", "png:color-type=6"]),
        ("deep.png", ["base.ppm", "-depth", "16"]),
        ("interlaced.png", ["base.ppm", "-interlace", "PNG"]),
        ("baseline.jpg", ["base.ppm", "-interlace", "none", "-quality", "85"]),
        ("progressive.jpg", ["base.ppm", "-interlace", "JPEG"]),
        ("gray.jpg", ["base.ppm", "-colorspace", "gray"]),
        ("bitmap.pbm", ["base.ppm", "-monochrome"]),
        ("plain.pgm", ["base.ppm", "-colorspace", "gray", "-compress", "none"]),
        ("gray.pgm", ["base.ppm", "-colorspace", "gray"]),
        ("colour.ppm", ["base.ppm"]),
        ("colour.pam", ["base.ppm"]),
        ("one-bit.bmp", ["base.ppm", "-monochrome", "-type", "bilevel", "BMP3:{}"]),
        ("four-bit.bmp", ["base.ppm", "-colors", "16", "-type", "palette", "-define", "bmp:format=bmp3", "BMP3:{}"]),
        ("eight-bit.bmp", ["base.ppm", "-colors", "200", "-type", "palette", "BMP3:{}"]),
        ("rgb565.bmp", ["base.ppm", "-define", "bmp:subtype=RGB565", "BMP:{}"]),
        ("true.bmp", ["base.ppm", "-type", "truecolor", "BMP3:{}"]),
        ("alpha.bmp", ["base.ppm", "-transparent", "white", "-type", "truecoloralpha", "BMP:{}"]),
        ("exact.bmp", ["-size", "122x32", "xc:white", "-fill", "black", "-draw", "rectangle 10,5 50,25",
                       "-draw", "circle 90,16 100,16", "-type", "bilevel", "BMP3:{}"]),
        ("frames.gif", ["-delay", "10", "base.ppm", "(", "base.ppm", "-negate", ")", "(", "base.ppm", "-flip", ")"]),
    ]
    subprocess.run(["convert", "logo:", "-resize", "300x225", "base.ppm"], cwd=folder, check=True)
    files = {}
    for name, args in magick:
        target = args[-1].format(name) if "{}" in args[-1] else name
        rest = args[:-1] if "{}" in args[-1] else args
        subprocess.run(["convert", *rest, target], cwd=folder, check=True)
        files[name] = folder / name
    # Tables of every format, made from a picture, read back as inputs.
    for fmt in FORMATS:
        code, out, said = cli("convert", "-f", fmt, "--dither", "atkinson", "rgb.png", "-o", "-", cwd=folder)
        name = f"table-{fmt}" + {"listing": ".txt", "bmp": ".bmp"}.get(fmt, f".{fmt}")
        (folder / name).write_bytes(out)
        files[name] = folder / name
    # Hostile: a bomb (a huge size declared, deflated zeros), cut-off files, a
    # GIF and a BMP declaring more pixels than any picture is allowed.
    header = struct.pack(">IIBBBBB", 100000, 100000, 8, 0, 0, 0, 0)
    bomb = b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", zlib.compress(bytes(1 << 22), 9))
    hostile = {"bomb.png": bomb + png_chunk(b"IEND", b""),
               "cut.png": files["rgb.png"].read_bytes()[:3000],
               "cut.jpg": files["progressive.jpg"].read_bytes()[:2000],
               "huge.gif": b"GIF89a" + struct.pack("<HHBBB", 65535, 65535, 0, 0, 0) + b"," +
                           struct.pack("<HHHHB", 0, 0, 65535, 65535, 0) + b"\x02\x02\x4c\x01\x00;",
               "huge.bmp": b"BM" + struct.pack("<IHHI", 54, 0, 0, 54) +
                           struct.pack("<IiiHHIIiiII", 40, 60000, 60000, 1, 24, 0, 0, 0, 0, 0, 0),
               "notes.txt": b"not a picture, nor a table\n"}
    for name, data in hostile.items():
        (folder / name).write_bytes(data)
    subprocess.run(["convert", "-size", "1920x1080", "-seed", "7", "plasma:fractal", "-blur", "0x1", "photo.jpg"],
                   cwd=folder, check=True)
    # A small BDF font of our own: A and B, 5 x 6.
    glyphs = {"A": ["60", "90", "F0", "90", "90", "00"], "B": ["E0", "90", "E0", "90", "E0", "00"]}
    bdf = ["STARTFONT 2.1", "FONT -quillon-test-medium-r-normal--6-60-75-75-c-50-iso10646-1", "SIZE 6 75 75",
           "FONTBOUNDINGBOX 5 6 0 -1", "STARTPROPERTIES 2", "FONT_ASCENT 5", "FONT_DESCENT 1", "ENDPROPERTIES",
           f"CHARS {len(glyphs)}"]
    for char, rows in glyphs.items():
        bdf += [f"STARTCHAR {char}", f"ENCODING {ord(char)}", "SWIDTH 833 0", "DWIDTH 5 0", "BBX 5 6 0 -1", "BITMAP",
                *rows, "ENDCHAR"]
    (folder / "tiny.bdf").write_text("\n".join(bdf + ["ENDFONT", ""]))
    return files, list(hostile)


# --- the browser ---

def start_browser(downloads):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/lib/chromium/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--window-size=1100,1400", "--host-resolver-rules=MAP * ~NOTFOUND",
                 "--proxy-server=127.0.0.1:9", "--user-data-dir=" + tempfile.mkdtemp(prefix="quillon-chromium-")):
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"download.default_directory": str(downloads),
                                              "download.prompt_for_download": False})
    options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_script_timeout(120)
    driver.execute_cdp_cmd("Network.enable", {})
    driver.execute_cdp_cmd("Network.emulateNetworkConditions", {"offline": True, "latency": 0,
                                                                "downloadThroughput": 0, "uploadThroughput": 0})
    driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": str(downloads)})
    return driver


def b64(data):
    return base64.b64encode(data).decode()


def canvas_dots(driver):
    """The 1:1 view's dots (black lit, green clear), each checked against the
    enlarged view's dot, and any pixel of another colour."""
    return driver.execute_script("""
        const small = document.getElementById('actual').getContext('2d').getImageData(0, 0, 122, 32).data;
        const large = document.getElementById('dots').getContext('2d').getImageData(0, 0, 732, 192).data;
        let dots = '', odd = [];
        for (let y = 0; y < 32; ++y) for (let x = 0; x < 122; ++x) {
            const k = (y * 122 + x) * 4, c = [small[k], small[k + 1], small[k + 2]].join();
            const at = ((y * 6 + 3) * 732 + x * 6 + 3) * 4, big = [large[at], large[at + 1], large[at + 2]].join();
            dots += c === '0,0,0' ? '1' : '0';
            if ((c !== '0,0,0' && c !== '0,128,0') || big !== c) odd.push([x, y, c, big]);
        }
        return [dots, odd.slice(0, 3)];""")


def page_error(driver):
    return driver.find_element(By.ID, "error").text


# --- the parts ---

def tables_equal(driver, folder, files):
    """window.quillon.convert against quillon-cli convert: every picture under
    every option, each table read back; one call into the page for all."""
    rows = [{}, {"background": "black"}, {"threshold": 40}, {"threshold": 220}, {"inverse": True},
            *({"fit": w} for w in CHOICES["fit"][1:]), *({"dither": w} for w in CHOICES["dither"][1:]),
            *({"rotate": w} for w in CHOICES["rotate"][1:]), *({"flip": w} for w in CHOICES["flip"]),
            {"fit": "cover", "dither": "floyd-steinberg", "rotate": 270, "flip": "v", "background": "black",
             "inverse": True}]
    cases = []
    for name in files:
        options_rows = rows if not name.startswith("table-") else [{}, {"inverse": True}]
        cases += [(name, {"format": "listing", **o}) for o in options_rows]
        cases += [(name, {"format": f, **({"label": "logo"} if f in LABELLED else {})}) for f in FORMATS[1:]]
    cases += [("frames.gif", {"frame": n, "dither": "atkinson"}) for n in (1, 2, 3)]
    cases += [("rgb.png", {"format": "c", "label": "for"}), ("rgb.png", {"format": "bin", "label": "logo"})]

    def expected(case):
        name, options = case
        words = ["convert", "-f", options["format"]] if "format" in options else ["convert"]
        words += ["--label", options["label"]] if "label" in options else []
        code, out, said = cli(*words, *picture_args(options), "-o", "-", name, cwd=folder)
        return b64(out) if code == 0 else said
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        wanted = list(pool.map(expected, cases))
    given = {name: b64(path.read_bytes()) for name, path in files.items()}
    got = driver.execute_script("""
        const bytes = {};
        for (const [name, text] of Object.entries(arguments[0]))
            bytes[name] = Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
        return arguments[1].map(([name, options]) => {
            try {
                const table = quillon.convert(bytes[name], {...options, name});
                let text = '';
                for (let k = 0; k < table.length; k += 0x8000) text += String.fromCharCode(...table.subarray(k, k + 0x8000));
                return btoa(text);
            } catch (error) { return error.message; }
        });""", given, cases)
    for (name, options), want, have in zip(cases, wanted, got):
        check(want == have, f"convert {name} {json.dumps(options)}: page {have[:80]!r}, quillon-cli {want[:80]!r}")
    print(f"  {len(cases)} tables of {len(files)} files")


def text_equal(driver, folder):
    """window.quillon.textTable against quillon-cli text, with the built-in font, BDF, PCF and TrueType."""
    dejavu, fixed = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "/usr/share/fonts/X11/misc/6x13.pcf.gz"
    rows = [("Quillon", {}), ("Two\\nlines", {"align": "center", "valign": "middle", "line-spacing": 2}),
            ("Grüße 25°C", {"x": 5, "y": 3, "inverse": True}), ("AB AB", {"font": "tiny.bdf", "x": -2}),
            ("Fixed 6x13", {"font": fixed, "align": "right"}), ("Sans", {"font": dejavu, "size": 20, "y": 4}),
            ("Over it", {"font": dejavu, "size": 12, "onto": "rgb.png", "dither": "atkinson", "valign": "bottom"}),
            ("Cut off at the right edge of the display", {"format": "c"}), ("€", {"format": "bin"}),
            ("Big", {"font": dejavu, "size": 0})]
    fonts = {path: b64((folder / path).read_bytes()) for _, o in rows for path in [o.get("font")] if path}
    fonts["rgb.png"] = b64((folder / "rgb.png").read_bytes())
    wanted = []
    for text, options in rows:
        fmt = options.get("format", "a51")
        output = "lcd_text" + {"c": ".h", "bin": ".bin"}.get(fmt, ".a51")
        words = ["text", text, "-f", fmt, "-o", output] + picture_args({k: v for k, v in options.items() if k != "format"})
        code, _, said = cli(*words, cwd=folder)
        wanted.append(b64((folder / output).read_bytes()) if code == 0 else said)
        (folder / output).unlink(missing_ok=True)
    got = driver.execute_script("""
        const bytes = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
        return arguments[1].map(([text, options]) => {
            const given = {...options, format: options.format || 'a51'};
            given.output = 'lcd_text' + ({c: '.h', bin: '.bin'}[given.format] || '.a51');
            if (given.font) { given['font-name'] = given.font; given.font = bytes(arguments[0][given.font]); }
            if (given.onto) { given.name = given.onto; given.onto = bytes(arguments[0][given.onto]); }
            try { return btoa(String.fromCharCode(...quillon.textTable(text, given))); }
            catch (error) { return error.message; }
        });""", fonts, rows)
    for (text, options), want, have in zip(rows, wanted, got):
        check(want == have, f"text {text!r} {options}: page {have[:80]!r}, quillon-cli {want[:80]!r}")
    dots = driver.execute_script("return Array.from(quillon.text('Hi', {x: 3})).join('')")
    text_table = folder / "hi.bin"
    cli("text", "Hi", "--x", "3", "-f", "bin", "-o", text_table.name, cwd=folder)
    check(dots == dots_of_preview(cli("preview", text_table.name, cwd=folder)[1]), "quillon.text's dots")


def controls(driver, folder, downloads):
    """The controls driven by clicks and keys: each changes the dots drawn, which
    are quillon-cli preview's under the settings; the command line shown writes
    the table Download gives."""
    driver.find_element(By.ID, "file").send_keys(str(folder / "rgba.png"))
    WebDriverWait(driver, 10).until(lambda d: "rgba.png" in d.find_element(By.ID, "source").text)
    settings = {}

    def drawn_as_cli(what):
        dots, odd = canvas_dots(driver)
        check(not odd, f"{what}: dots drawn in other colours or the views differ: {odd}")
        check(dots == cli_dots(folder, "rgba.png", settings), f"{what}: the dots drawn are not quillon-cli's")
        return dots

    before = drawn_as_cli("rgba.png")
    slider = driver.find_element(By.ID, "threshold")
    slider.send_keys(Keys.END)
    for _ in range(5):
        slider.send_keys(Keys.ARROW_LEFT)
    settings["threshold"] = 250
    check(slider.get_attribute("value") == "250", "End and five Lefts on the threshold: 250")
    check(drawn_as_cli("threshold 250") != before, "the threshold slider changed no dot")
    steps = [("dither", "a", "atkinson"), ("fit", "c", "cover"), ("background", "b", "black"),
             ("rotate", "9", "90"), ("flip", "h", "h")]
    for control, key, value in steps:
        before = canvas_dots(driver)[0]
        element = driver.find_element(By.ID, control)
        element.send_keys(key)
        check(element.get_attribute("value") == value, f"{control}: typing {key!r} chose {element.get_attribute('value')}")
        settings[control] = value
        check(drawn_as_cli(control) != before, f"{control} {value} changed no dot")
    before = canvas_dots(driver)[0]
    driver.find_element(By.ID, "inverse").click()
    settings["inverse"] = True
    check(drawn_as_cli("inverse") != before, "inverse changed no dot")

    # A GIF's frame, typed.
    driver.find_element(By.ID, "file").send_keys(str(folder / "frames.gif"))
    WebDriverWait(driver, 10).until(lambda d: "frames.gif" in d.find_element(By.ID, "source").text)
    before = canvas_dots(driver)[0]
    frame = driver.find_element(By.ID, "frame")
    frame.send_keys(Keys.ARROW_UP)
    settings["frame"] = 1
    check(canvas_dots(driver)[0] != before, "frame 1 drew the same dots as frame 0")
    check(canvas_dots(driver)[0] == cli_dots(folder, "frames.gif", settings), "frame 1: not quillon-cli's dots")
    frame.send_keys(Keys.ARROW_UP, Keys.ARROW_UP)
    check(page_error(driver) == cli("preview", "--frame", "3", "frames.gif", cwd=folder)[2],
          f"frame 3: said {page_error(driver)!r}")
    frame.send_keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ARROW_DOWN)
    settings["frame"] = 0

    # The table, its name and label, Copy's text, and Download against the command line shown.
    Select = webdriver.support.select.Select
    Select(driver.find_element(By.ID, "format")).select_by_value("c")
    driver.find_element(By.ID, "label").send_keys("my_logo")
    for fmt in ("c", "bmp"):
        Select(driver.find_element(By.ID, "format")).select_by_value(fmt)
        downloaded_as_cli(driver, folder, downloads, fmt)
    # Text onto the picture, with a font file picked from disk.
    Select(driver.find_element(By.ID, "text-mode")).select_by_value("onto")
    text = driver.find_element(By.ID, "text")
    text.clear()
    text.send_keys("Hello", Keys.ENTER, "there")
    driver.find_element(By.ID, "font").send_keys("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")
    driver.find_element(By.ID, "size").send_keys("11")
    Select(driver.find_element(By.ID, "align")).select_by_value("center")
    Select(driver.find_element(By.ID, "format")).select_by_value("a51")
    WebDriverWait(driver, 5).until(lambda d: "--font" in d.find_element(By.ID, "command").text)
    downloaded_as_cli(driver, folder, downloads, "a51", font="/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")
    Select(driver.find_element(By.ID, "text-mode")).select_by_value("off")


def downloaded_as_cli(driver, folder, downloads, fmt, font=None):
    WebDriverWait(driver, 5).until(lambda d: d.find_element(By.ID, "command").text)
    check(not page_error(driver), f"{fmt}: {page_error(driver)}")
    command = shlex.split(driver.find_element(By.ID, "command").text)
    check(command[0] == "quillon-cli", f"the command line: {command}")
    if font:  # the page knows the font file by its name alone
        command[command.index("--font") + 1] = font
    for old in downloads.iterdir():
        old.unlink()
    driver.find_element(By.ID, "download").click()
    for _ in range(100):
        got = [p for p in downloads.iterdir() if not p.name.endswith(".crdownload")]
        if got:
            break
        time.sleep(0.05)
    code, out, said = cli(*command[1:], cwd=folder)
    written = folder / (out.decode().strip() or command[command.index("-o") + 1])
    check(code == 0, f"{' '.join(command)}: {said}")
    if not check(len(got) == 1, f"{fmt}: Download gave {got}"):
        return
    check(got[0].name == written.name, f"{fmt}: downloaded as {got[0].name}, quillon-cli wrote {written.name}")
    check(got[0].read_bytes() == written.read_bytes(), f"{fmt}: the download differs from quillon-cli's {written.name}")
    shown = driver.find_element(By.ID, "table").get_attribute("value")
    if fmt in ("bin", "bmp"):
        check(bytes.fromhex("".join(line[6:] for line in shown.splitlines())) == written.read_bytes(),
              f"{fmt}: the hex shown is not the table's")
    else:
        check(shown.encode() == written.read_bytes().replace(b"\r\n", b"\n"), f"{fmt}: the table shown differs")


def hostile(driver, folder, names):
    """Each refused in quillon-cli's words, and the page goes on working."""
    for name in names:
        driver.find_element(By.ID, "file").send_keys(str(folder / name))
        WebDriverWait(driver, 20).until(lambda d: name in d.find_element(By.ID, "source").text or page_error(d))
        said = cli("convert", "-o", "-", name, cwd=folder)[2]
        check(page_error(driver) == said and said.startswith(name + ": "),
              f"{name}: the page said {page_error(driver)!r}, quillon-cli {said!r}")
        driver.find_element(By.ID, "file").send_keys(str(folder / "gray.png"))
        WebDriverWait(driver, 10).until(lambda d: "gray.png" in d.find_element(By.ID, "source").text)
        check(not page_error(driver) and "1" in canvas_dots(driver)[0], f"after {name}: no picture drawn")


def pasted_and_dropped(driver, folder):
    pasted = driver.find_element(By.ID, "pasted")
    table = (folder / "table-sdas.sdas").read_text()
    driver.execute_script("arguments[0].focus()", pasted)
    pasted.send_keys(table[:-2])
    pasted.send_keys(table[-2:])
    WebDriverWait(driver, 10).until(lambda d: "pasted" in d.find_element(By.ID, "source").text)
    check(canvas_dots(driver)[0] == cli_dots(folder, "table-sdas.sdas", {}), "the pasted table's dots")
    check("sdas" in driver.find_element(By.ID, "source").text, "the pasted table told as sdas")
    pasted.clear()
    # A file dropped onto the page (DataTransfer can only be made by a script).
    driver.execute_script("""
        const data = new DataTransfer();
        data.items.add(new File([Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0))], 'dropped.jpg'));
        document.getElementById('display').dispatchEvent(new DragEvent('drop', {dataTransfer: data, bubbles: true}));""",
                          b64((folder / "baseline.jpg").read_bytes()))
    WebDriverWait(driver, 10).until(lambda d: "dropped.jpg" in d.find_element(By.ID, "source").text)
    (folder / "dropped.jpg").write_bytes((folder / "baseline.jpg").read_bytes())
    settings = json.loads(driver.execute_script("""
        const s = {}; for (const id of ['fit', 'background', 'dither', 'flip', 'rotate', 'threshold', 'frame'])
            s[id] = document.getElementById(id).value;
        if (document.getElementById('inverse').checked) s.inverse = true; return JSON.stringify(s);"""))
    check(canvas_dots(driver)[0] == cli_dots(folder, "dropped.jpg", settings), "the dropped picture's dots")


def reachable_and_labelled(driver):
    controls = driver.execute_script("""
        return Array.from(document.querySelectorAll('input, select, textarea, button'))
            .map((e) => [e.id, e.labels && e.labels.length ? e.labels[0].textContent.trim()
                : e.getAttribute('aria-labelledby') ? document.getElementById(e.getAttribute('aria-labelledby')).textContent
                : e.getAttribute('aria-label') || e.textContent.trim()]);""")
    for ident, label in controls:
        check(label, f"#{ident} has no label")
    driver.execute_script("document.activeElement.blur(); window.scrollTo(0, 0)")
    reached = set()
    for _ in range(len(controls) * 2):
        webdriver.ActionChains(driver).send_keys(Keys.TAB).perform()
        reached.add(driver.execute_script("return document.activeElement.id"))
    enabled = driver.execute_script("return Array.from(document.querySelectorAll('input, select, textarea, button'))"
                                    ".filter((e) => !e.disabled).map((e) => e.id)")
    check(set(enabled) <= reached, f"Tab does not reach {sorted(set(enabled) - reached)}")


def slider_time(driver, folder):
    """A 1920 x 1080 photo: its first drawing, then each slider step from the key
    press to the frame after the redraw."""
    started = time.monotonic()
    driver.find_element(By.ID, "file").send_keys(str(folder / "photo.jpg"))
    WebDriverWait(driver, 30).until(lambda d: "photo.jpg" in d.find_element(By.ID, "source").text)
    first = float(driver.execute_script("return document.body.dataset.redrawMs"))
    driver.find_element(By.ID, "dither").send_keys(Keys.HOME)  # none: a dither takes no threshold
    slider = driver.find_element(By.ID, "threshold")
    slider.send_keys(Keys.HOME)
    driver.execute_script("""
        window.steps = [];
        const slider = document.getElementById('threshold');
        slider.addEventListener('keydown', () => { window.pressed = performance.now(); }, true);
        slider.addEventListener('input', () => requestAnimationFrame(() => setTimeout(() =>
            window.steps.push([performance.now() - window.pressed, Number(document.body.dataset.redrawMs)]))));""")
    for _ in range(10):
        slider.send_keys(Keys.ARROW_RIGHT)
    WebDriverWait(driver, 10).until(lambda d: len(d.execute_script("return window.steps")) == 10)
    steps = driver.execute_script("return window.steps")
    worst = max(s[0] for s in steps)
    print(f"  1920 x 1080 JPEG: first drawn in {first:.0f} ms ({time.monotonic() - started:.2f} s with the upload); "
          f"a slider step: redraw {max(s[1] for s in steps):.1f} ms at most, key press to frame {worst:.1f} ms at most")
    check(worst < 100, f"a slider step took {worst:.0f} ms")
    settings = {k: driver.find_element(By.ID, k).get_attribute("value") for k in ("fit", "background", "dither",
                                                                                  "flip", "rotate", "threshold")}
    if driver.find_element(By.ID, "inverse").is_selected():
        settings["inverse"] = True
    check(canvas_dots(driver)[0] == cli_dots(folder, "photo.jpg", settings), "the photo's dots after the slider")


def schemes(driver, screenshot, dark_screenshot):
    def colours():
        return driver.execute_script("""
            const style = (e) => getComputedStyle(e);
            const rgb = (c) => c.match(/\\d+/g).slice(0, 3).map(Number);
            return [rgb(style(document.body).backgroundColor), rgb(style(document.body).color),
                    rgb(style(document.querySelector('fieldset')).backgroundColor),
                    rgb(style(document.getElementById('table')).color), rgb(style(document.getElementById('error')).color)];""")

    def luminance(rgb):
        linear = [(c / 255) / 12.92 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4 for c in rgb]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]

    def contrast(a, b):
        high, low = sorted((luminance(a), luminance(b)), reverse=True)
        return (high + 0.05) / (low + 0.05)
    # The page in use, for the README: Quillon's logo dithered, as a C array.
    Select = webdriver.support.select.Select
    driver.find_element(By.ID, "file").send_keys(str(pathlib.Path(__file__).resolve().parents[2] / "docs/dither/logo.png"))
    WebDriverWait(driver, 10).until(lambda d: "logo.png" in d.find_element(By.ID, "source").text)
    Select(driver.find_element(By.ID, "text-mode")).select_by_value("alone")
    driver.find_element(By.ID, "font-builtin").click()
    driver.find_element(By.ID, "size").clear()
    for control, value in (("fit", "contain"), ("background", "white"), ("rotate", "0"), ("flip", "none"),
                           ("align", ""), ("text-mode", "off"), ("dither", "atkinson"), ("format", "c")):
        Select(driver.find_element(By.ID, control)).select_by_value(value)
    if driver.find_element(By.ID, "inverse").is_selected():
        driver.find_element(By.ID, "inverse").click()
    label = driver.find_element(By.ID, "label")
    label.clear()
    label.send_keys("logo")
    driver.execute_script("document.activeElement.blur()")
    height = driver.execute_script("return document.documentElement.scrollHeight")
    driver.set_window_size(1100, height + 140)  # the window's frame and bars take the rest
    for scheme, path in (("light", screenshot), ("dark", dark_screenshot)):
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [{"name": "prefers-color-scheme",
                                                                            "value": scheme}]})
        page, text, panel, table, error = colours()
        check((luminance(page) < 0.1) == (scheme == "dark"), f"{scheme}: the page's background is {page}")
        for what, fore, back in (("text", text, page), ("panel text", text, panel), ("table", table, page),
                                 ("error", error, panel)):
            check(contrast(fore, back) >= 4.5, f"{scheme}: {what} {fore} on {back}: contrast {contrast(fore, back):.1f}")
        if path:
            driver.execute_script("window.scrollTo(0, 0)")
            driver.save_screenshot(str(path))


def offline(driver):
    """Nothing but the page itself and its own data: and blob: addresses was asked for."""
    asked = []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        # The page's own requests (Chromium's own pages ask for chrome: ones).
        if message["method"] == "Network.requestWillBeSent" and message["params"]["documentURL"].startswith("file:"):
            asked.append(message["params"]["request"]["url"])
    check(any(url.endswith("quillon.html") for url in asked), f"the page's own load was not seen: {asked[:3]}")
    check(all(re.match(r"(file|data|blob):", url) for url in asked),
          f"the page asked for {[u for u in asked if not re.match(r'(file|data|blob):', u)][:3]}")
    check(driver.execute_script("return navigator.onLine") is False, "the browser was online")


def main():
    global CLI, FORMATS, LABELLED, CHOICES
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("page", type=pathlib.Path)
    parser.add_argument("cli")
    parser.add_argument("--screenshot", type=pathlib.Path)
    parser.add_argument("--dark-screenshot", type=pathlib.Path)
    args = parser.parse_args()
    CLI = str(pathlib.Path(args.cli).resolve())
    # The choices and formats as quillon-cli's help lists them.
    helped = cli("convert", "--help")[1].decode()
    CHOICES = {m[0]: m[1].split(",") for m in re.findall(r"--(\w+) \w+:\{([^}]*)\}", helped)}
    FORMATS = CHOICES.pop("format")
    LABELLED = [f for f in FORMATS if f not in ("listing", "bin", "bmp")]
    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="quillon-web-") as temporary:
        folder, downloads = pathlib.Path(temporary), pathlib.Path(temporary) / "downloads"
        downloads.mkdir()
        files, hostile_names = make_files(folder)
        last = time.monotonic()
        print(f"files made: {last - started:.1f} s")
        driver = start_browser(downloads)
        try:
            driver.get(args.page.resolve().as_uri())
            driver.execute_async_script("window.quillonReady.then(() => arguments[0](), () => arguments[0]())")
            check(driver.execute_script("return document.body.dataset.ready") == "yes", "the page did not start")
            choices = driver.execute_script("return quillon.choices")
            for option, words in CHOICES.items():
                check([w for w in choices[option] if w != "none" or option != "flip"] == words,
                      f"--{option}: the page offers {choices[option]}, quillon-cli {words}")
            check([f["name"] for f in driver.execute_script("return quillon.formats")] == FORMATS, "the formats")
            parts = [("tables", lambda: tables_equal(driver, folder, files)), ("text", lambda: text_equal(driver, folder)),
                     ("keyboard and labels", lambda: reachable_and_labelled(driver)),
                     ("controls and Download", lambda: controls(driver, folder, downloads)),
                     ("hostile files", lambda: hostile(driver, folder, hostile_names)),
                     ("pasted and dropped", lambda: pasted_and_dropped(driver, folder)),
                     ("slider", lambda: slider_time(driver, folder)),
                     ("colour schemes", lambda: schemes(driver, args.screenshot, args.dark_screenshot)),
                     ("offline", lambda: offline(driver))]
            print(f"browser started, page loaded: {time.monotonic() - last:.1f} s")
            for name, part in parts:
                last = time.monotonic()
                part()
                print(f"{name}: {time.monotonic() - last:.1f} s")
        finally:
            driver.quit()
    print(f"{len(failures)} failures, {time.monotonic() - started:.1f} s in all")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
