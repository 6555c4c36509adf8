#!/usr/bin/python3
"""The web page in headless Chromium, opened from disk with the network off,
against quillon-cli: its tables byte for byte for pictures of every kind under
every option, for tables read back and for text; its controls driven by keys
and clicks, the dots drawn read back; hostile files; paste, drop, Copy and
Download; keyboard and labels; light and dark schemes; the time of a slider
step on a 1920 x 1080 photo.

  /usr/bin/python3 test_page.py PAGE QUILLON-CLI [--screenshot PNG] [--dark-screenshot PNG]

Needs Debian's chromium, chromium-driver and python3-selenium, ImageMagick and
the DejaVu and X11 misc fonts.
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
from selenium.webdriver.support.select import Select
from selenium.webdriver.support.ui import WebDriverWait

DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FIXED = "/usr/share/fonts/X11/misc/6x13.pcf.gz"
LOGO = pathlib.Path(__file__).resolve().parents[2] / "docs/dither/logo.png"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, file=sys.stderr)
    return condition


def cli(*args, cwd):
    """quillon-cli's exit status, output and first line of message (without "quillon-cli: ")."""
    done = subprocess.run([CLI, *map(str, args)], cwd=cwd, capture_output=True)
    said = done.stderr.decode().strip().splitlines()
    return done.returncode, done.stdout, said[0].removeprefix("quillon-cli: ") if said else ""


def option_words(options):
    words = []
    for key, value in options.items():
        if key not in ("name", "format", "font-name") and (key, value) != ("flip", "none"):  # it takes h or v
            words += [f"--{key}"] if value is True else [f"--{key}", str(value)]
    return words


def cli_dots(folder, name, options):
    """quillon-cli preview's dots ('#' set) as 1 and 0 row by row, or its message."""
    code, out, said = cli("preview", *option_words(options), name, cwd=folder)
    return "".join(out.decode().splitlines()[:32]).replace("#", "1").replace(".", "0") if code == 0 else said


def b64(data):
    return base64.b64encode(data).decode()


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def make_files(folder):
    """Pictures of every kind, a table of every format, hostile files, a BDF font."""
    run = lambda *args: subprocess.run(["convert", *args], cwd=folder, check=True)  # noqa: E731
    run("logo:", "-resize", "300x225", "base.ppm")
    pictures = {
        "gray.png": "-colorspace gray -define png:color-type=0", "rgb.png": "-define png:color-type=2",
        "gray-alpha.png": "-colorspace gray -alpha set -channel A -evaluate set 60% +channel -define png:color-type=4",
        "palette.png": "-colors 16 -define png:color-type=3", "deep.png": "-depth 16",
        "rgba.png": "-transparent white -define png:color-type=6", "interlaced.png": "-interlace PNG",
        "baseline.jpg": "-interlace none", "progressive.jpg": "-interlace JPEG", "gray.jpg": "-colorspace gray",
        "bitmap.pbm": "-monochrome", "plain.pgm": "-colorspace gray -compress none", "gray.pgm": "-colorspace gray",
        "colour.ppm": "", "colour.pam": "", "one-bit.bmp": "-monochrome -type bilevel BMP3:",
        "four-bit.bmp": "-colors 16 -type palette BMP3:", "eight-bit.bmp": "-colors 200 -type palette BMP3:",
        "rgb565.bmp": "-define bmp:subtype=RGB565 BMP:", "true.bmp": "-type truecolor BMP3:",
        "alpha.bmp": "-transparent white -type truecoloralpha BMP:",
        "frames.gif": "( base.ppm -negate ) ( base.ppm -flip )"}
    for name, words in pictures.items():
        words = words.split()
        prefix = words.pop() if words and words[-1].endswith(":") else ""
        run("base.ppm", *words, prefix + name)
    run("-size", "122x32", "xc:white", "-fill", "black", "-draw", "rectangle 10,5 50,25", "-draw",
        "circle 90,16 100,16", "-type", "bilevel", "BMP3:exact.bmp")
    run("-size", "1920x1080", "-seed", "7", "plasma:fractal", "-blur", "0x1", "photo.jpg")
    files = [*pictures, "exact.bmp"]
    for fmt in FORMATS:
        out = cli("convert", "-f", fmt, "--dither", "atkinson", "-o", "-", "rgb.png", cwd=folder)[1]
        (folder / f"table-{fmt}.{fmt}").write_bytes(out)
        files.append(f"table-{fmt}.{fmt}")
    # A bomb (a huge size declared, deflated zeros), cut-off pictures, a GIF
    # and a BMP declaring more pixels than are taken, and no picture at all.
    png = b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 100000, 100000, 8, 0, 0, 0, 0))
    hostile = {"bomb.png": png + png_chunk(b"IDAT", zlib.compress(bytes(1 << 22), 9)) + png_chunk(b"IEND", b""),
               "cut.png": (folder / "rgb.png").read_bytes()[:3000],
               "cut.jpg": (folder / "progressive.jpg").read_bytes()[:2000],
               "huge.gif": b"GIF89a" + struct.pack("<HHBBB", 65535, 65535, 0, 0, 0) + b"," +
                           struct.pack("<HHHHB", 0, 0, 65535, 65535, 0) + b"\x02\x02\x4c\x01\x00;",
               "huge.bmp": b"BM" + struct.pack("<IHHI", 54, 0, 0, 54) +
                           struct.pack("<IiiHHIIiiII", 40, 60000, 60000, 1, 24, 0, 0, 0, 0, 0, 0),
               "notes.txt": b"not a picture, nor a table\n"}
    for name, data in hostile.items():
        (folder / name).write_bytes(data)
    bdf = ["STARTFONT 2.1", "FONT -quillon-test-medium-r-normal--6-60-75-75-c-50-iso10646-1", "SIZE 6 75 75",
           "FONTBOUNDINGBOX 5 6 0 -1", "STARTPROPERTIES 2", "FONT_ASCENT 5", "FONT_DESCENT 1", "ENDPROPERTIES",
           "CHARS 2"]
    for char, rows in (("A", "60 90 F0 90 90 00"), ("B", "E0 90 E0 90 E0 00")):
        bdf += [f"STARTCHAR {char}", f"ENCODING {ord(char)}", "SWIDTH 833 0", "DWIDTH 5 0", "BBX 5 6 0 -1", "BITMAP",
                *rows.split(), "ENDCHAR"]
    (folder / "tiny.bdf").write_text("\n".join(bdf + ["ENDFONT", ""]))
    return files, list(hostile)


class Page:
    """The page in Chromium, offline, downloads going to `downloads`."""

    def __init__(self, path, downloads):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/lib/chromium/chromium"
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--disable-dev-shm-usage", "--window-size=1100,1400", "--host-resolver-rules=MAP * ~NOTFOUND",
                     "--proxy-server=127.0.0.1:9", "--user-data-dir=" + tempfile.mkdtemp(prefix="quillon-chromium-")):
            options.add_argument(flag)
        options.add_experimental_option("prefs", {"download.default_directory": str(downloads),
                                                  "download.prompt_for_download": False})
        options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.set_script_timeout(120)
        self.driver.execute_cdp_cmd("Network.enable", {})
        self.driver.execute_cdp_cmd("Network.emulateNetworkConditions",
                                    {"offline": True, "latency": 0, "downloadThroughput": 0, "uploadThroughput": 0})
        self.driver.execute_cdp_cmd("Browser.grantPermissions", {"permissions": ["clipboardReadWrite",
                                                                                 "clipboardSanitizedWrite"]})
        self.driver.get(path.resolve().as_uri())
        self.driver.execute_async_script("window.quillonReady.then(() => arguments[0](), () => arguments[0]())")

    def __getitem__(self, ident):
        return self.driver.find_element(By.ID, ident)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def open(self, path):
        self["file"].send_keys(str(path))
        WebDriverWait(self.driver, 30).until(lambda d: path.name in self["source"].text or self["error"].text)

    def choose(self, ident, value):
        Select(self[ident]).select_by_value(value)

    def settings(self):
        """The picture options the controls show, as quillon-cli's."""
        return self.js("""const s = {};
            for (const id of ['fit', 'background', 'dither', 'flip', 'rotate', 'threshold', 'frame'])
                s[id] = document.getElementById(id).value;
            if (document.getElementById('inverse').checked) s.inverse = true;
            return s;""")

    def dots(self):
        """The 1:1 view's dots, each checked against its colours and the enlarged view's dot."""
        dots, odd = self.js("""
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
        check(not odd, f"dots drawn in other colours than (0,0,0) and (0,128,0), or the two views differ: {odd}")
        return dots


def tables(page, folder, files):
    """quillon.convert against quillon-cli convert, all in one call into the page."""
    rows = [{}, {"background": "black"}, {"threshold": 40}, {"threshold": 220}, {"inverse": True},
            *({option: word} for option in ("fit", "dither", "rotate", "flip") for word in CHOICES[option]),
            {"fit": "cover", "dither": "floyd-steinberg", "rotate": 270, "flip": "v", "background": "black",
             "inverse": True}]
    cases = [(name, {"format": "listing", **row}) for name in files
             for row in (rows if not name.startswith("table-") else [{}, {"inverse": True}])]
    cases += [(name, {"format": f, **({"label": "logo"} if f in LABELLED else {})}) for name in files for f in FORMATS]
    cases += [("frames.gif", {"format": "bin", "frame": n, "dither": "atkinson"}) for n in (1, 2, 3)]
    # Every frame as one table, in every format (bmp holds one frame: refused in quillon-cli's words).
    cases += [("frames.gif", {"format": f, "frames": "all", **({"label": "spin"} if f in LABELLED else {})})
              for f in FORMATS]
    cases += [("frames.gif", {"format": "c", "frames": "all", "label": "DPTR"})]
    cases += [("rgb.png", {"format": "c", "label": "for"}), ("rgb.png", {"format": "bin", "label": "logo"})]

    def expected(case):
        name, options = case
        code, out, said = cli("convert", "-f", options["format"], *option_words(options), "-o", "-", name, cwd=folder)
        return b64(out) if code == 0 else said
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        wanted = list(pool.map(expected, cases))
    got = page.js("""
        const bytes = {};
        for (const [name, text] of Object.entries(arguments[0]))
            bytes[name] = Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
        return arguments[1].map(([name, options]) => {
            try {
                const table = quillon.convert(bytes[name], {...options, name});
                let text = '';
                for (let k = 0; k < table.length; k += 0x8000)
                    text += String.fromCharCode(...table.subarray(k, k + 0x8000));
                return btoa(text);
            } catch (error) { return error.message; }
        });""", {name: b64((folder / name).read_bytes()) for name in files}, cases)
    for (name, options), want, have in zip(cases, wanted, got):
        check(want == have, f"convert {name} {json.dumps(options)}: page {have[:80]!r}, quillon-cli {want[:80]!r}")
    print(f"  {len(cases)} tables of {len(files)} files")


def text(page, folder):
    """quillon.textTable against quillon-cli text: the built-in font, BDF, PCF and TrueType; onto a picture."""
    rows = [("Quillon", {}), ("Two\\nlines", {"align": "center", "valign": "middle", "line-spacing": 2}),
            ("Grüße 25°C", {"x": 5, "y": 3, "inverse": True}), ("AB AB", {"font": "tiny.bdf", "x": -2}),
            ("Fixed 6x13", {"font": FIXED, "align": "right"}), ("Sans", {"font": DEJAVU, "size": 20, "y": 4}),
            ("Over it", {"font": DEJAVU, "size": 12, "onto": "rgb.png", "dither": "atkinson", "valign": "bottom"}),
            ("Cut off at the right edge of the display", {"format": "c"}), ("€", {"format": "bin"}),
            ("Big", {"font": DEJAVU, "size": 0})]
    files = {path: b64((folder / path).read_bytes())
             for _, options in rows for path in (options.get("font"), options.get("onto")) if path}
    wanted = []
    for words, options in rows:
        options.setdefault("format", "a51")
        output = folder / ("lcd_text." + options["format"])
        code, _, said = cli("text", words, "-f", options["format"], "-o", output, *option_words(options), cwd=folder)
        wanted.append(b64(output.read_bytes()) if code == 0 else said)
        output.unlink(missing_ok=True)
    got = page.js("""
        const bytes = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
        return arguments[1].map(([text, options]) => {
            const given = {...options, output: 'lcd_text.' + options.format};
            if (given.font) { given['font-name'] = given.font; given.font = bytes(arguments[0][given.font]); }
            if (given.onto) { given.name = given.onto; given.onto = bytes(arguments[0][given.onto]); }
            try { return btoa(String.fromCharCode(...quillon.textTable(text, given))); }
            catch (error) { return error.message; }
        });""", files, rows)
    for (words, options), want, have in zip(rows, wanted, got):
        check(want == have, f"text {words!r} {options}: page {have[:80]!r}, quillon-cli {want[:80]!r}")
    cli("text", "Hi", "--x", "3", "-f", "bin", "-o", "hi.bin", cwd=folder)
    check(page.js("return quillon.text('Hi', {x: 3}).join('')") == cli_dots(folder, "hi.bin", {}),
          "quillon.text's dots")


def controls(page, folder, downloads):
    """Each control, by keys and clicks, changes the dots drawn, which are
    quillon-cli preview's under the settings shown; the command line shown
    writes what Download gives, and the table shown and Copy are its text."""
    page.open(folder / "rgba.png")
    before = page.dots()
    slider = page["threshold"]
    slider.send_keys(Keys.END, *[Keys.ARROW_LEFT] * 5)
    check(slider.get_attribute("value") == "250", "End and five Lefts on the threshold did not give 250")
    steps = [("threshold", None, "250"), ("dither", "a", "atkinson"), ("fit", "c", "cover"),
             ("background", "b", "black"), ("rotate", "9", "90"), ("flip", "h", "h"), ("inverse", " ", "True")]
    for control, key, value in steps:
        if key:
            page[control].send_keys(key)
        shown = str(page[control].get_property("checked" if control == "inverse" else "value"))
        check(shown == value, f"typing {key!r} on {control} gave {shown}")
        drawn = page.dots()
        check(drawn != before, f"{control} {value} changed no dot")
        check(drawn == cli_dots(folder, "rgba.png", page.settings()), f"{control} {value}: not quillon-cli's dots")
        before = drawn
        if control == "threshold":  # the threshold counts in the command line only without a dither
            downloaded(page, folder, downloads, "listing")
    page.open(folder / "frames.gif")
    before = page.dots()
    page["frame"].send_keys(Keys.ARROW_UP)
    check(page.dots() != before and page.dots() == cli_dots(folder, "frames.gif", page.settings()), "frame 1's dots")
    page["frame"].send_keys(Keys.ARROW_UP, Keys.ARROW_UP)
    check(page["error"].text == cli_dots(folder, "frames.gif", page.settings()), f"frame 3: {page['error'].text!r}")
    page["frame"].send_keys(Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ARROW_DOWN)
    page.choose("format", "c")
    page["frames"].send_keys(" ")  # every frame: what quillon-cli convert --frames all writes
    check("--frames all" in page["command"].text, f"All frames, not in: {page['command'].text}")
    downloaded(page, folder, downloads, "c")
    page["frames"].send_keys(" ")

    page.choose("format", "c")
    page["label"].send_keys("my_logo")
    downloaded(page, folder, downloads, "c")
    page.choose("format", "bmp")
    downloaded(page, folder, downloads, "bmp")
    # Text onto the picture, with a font file picked from disk.
    page.choose("text-mode", "onto")
    page["text"].clear()
    page["text"].send_keys("Hello", Keys.ENTER, "there")
    page["font"].send_keys(DEJAVU)
    page["size"].send_keys("11")
    page.choose("align", "center")
    page.choose("format", "a51")
    WebDriverWait(page.driver, 5).until(lambda d: "--font" in page["command"].text)
    downloaded(page, folder, downloads, "a51")
    page.choose("text-mode", "off")


def downloaded(page, folder, downloads, fmt):
    check(not page["error"].text, f"{fmt}: {page['error'].text}")
    command = shlex.split(page["command"].text)
    if "--font" in command:  # the page knows the font file by its name alone
        command[command.index("--font") + 1] = DEJAVU
    code, out, said = cli(*command[1:], cwd=folder)
    check(command[0] == "quillon-cli" and code == 0, f"{command}: {said}")
    written = folder / (out.decode().strip() or command[command.index("-o") + 1])
    for old in downloads.iterdir():
        old.unlink()
    page["download"].click()
    # Done when nothing is left but whole files (Chromium writes .crdownload and hidden ones first).
    finished = lambda: [p for p in downloads.iterdir()] if all(  # noqa: E731
        p.suffix != ".crdownload" and not p.name.startswith(".") for p in downloads.iterdir()) else []
    WebDriverWait(page.driver, 10).until(lambda d: finished())
    got = finished()
    check([p.name for p in got] == [written.name], f"{fmt}: downloaded {got}, quillon-cli wrote {written.name}")
    check(got[0].read_bytes() == written.read_bytes(), f"{fmt}: the download is not quillon-cli's {written.name}")
    shown = page["table"].get_attribute("value")
    if fmt in ("bin", "bmp"):
        check(bytes.fromhex("".join(line[6:] for line in shown.splitlines())) == written.read_bytes(),
              f"{fmt}: the hex shown is not the table's")
    else:
        check(shown.encode() == written.read_bytes().replace(b"\r\n", b"\n"), f"{fmt}: the table shown is not the file")
    page["copy"].click()
    copied = page.driver.execute_async_script("navigator.clipboard.readText().then(arguments[0], arguments[0])")
    check(copied == shown, f"{fmt}: Copy gave {copied[:40]!r}")


def hostile(page, folder, names):
    """Each refused in quillon-cli's words; the page goes on working."""
    for name in names:
        page.open(folder / name)
        said = cli("convert", "-o", "-", name, cwd=folder)[2]
        check(page["error"].text == said and said.startswith(name + ": "),
              f"{name}: {page['error'].text!r}, not {said!r}")
        page.open(folder / "gray.png")
        check(not page["error"].text and "1" in page.dots(), f"after {name}: no picture drawn")
    # Said, and no failure: the lit colour of an exact BMP is its lighter one.
    if page["inverse"].is_selected():
        page["inverse"].click()
    page.open(folder / "exact.bmp")
    said = cli("convert", *option_words(page.settings()), "-o", "-", "exact.bmp", cwd=folder)[2]
    check(page["notes"].text == said and "is lit" in said, f"exact.bmp: noted {page['notes'].text!r}, not {said!r}")


def pasted_and_dropped(page, folder):
    page["pasted"].send_keys((folder / "table-sdas.sdas").read_text())
    WebDriverWait(page.driver, 10).until(lambda d: "pasted" in page["source"].text)
    check("sdas" in page["source"].text and page.dots() == cli_dots(folder, "table-sdas.sdas", {}), "a pasted table")
    page["pasted"].clear()
    # A file dropped (a DataTransfer with a file in it can only be made by a script).
    page.js("""const data = new DataTransfer();
        data.items.add(new File([Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0))], 'dropped.jpg'));
        const drop = new DragEvent('drop', {dataTransfer: data, bubbles: true});
        document.getElementById('display').dispatchEvent(drop);""",
            b64((folder / "baseline.jpg").read_bytes()))
    WebDriverWait(page.driver, 10).until(lambda d: "dropped.jpg" in page["source"].text)
    (folder / "dropped.jpg").write_bytes((folder / "baseline.jpg").read_bytes())
    check(page.dots() == cli_dots(folder, "dropped.jpg", page.settings()), "the dropped picture's dots")


def keyboard(page):
    labels = page.js("""return Array.from(document.querySelectorAll('input, select, textarea, button'), (e) => [e.id,
        (e.labels[0] || document.getElementById(e.getAttribute('aria-labelledby')) || e).textContent.trim()]);""")
    check(all(label for _, label in labels), f"unlabelled: {[ident for ident, label in labels if not label]}")
    page.js("document.activeElement.blur(); window.scrollTo(0, 0)")
    reached = set()
    for _ in range(len(labels) + 5):
        webdriver.ActionChains(page.driver).send_keys(Keys.TAB).perform()
        reached.add(page.js("return document.activeElement.id"))
    enabled = page.js("return Array.from(document.querySelectorAll(':enabled:is(input, select, textarea, button)'),"
                      " (e) => e.id)")
    check(set(enabled) <= reached, f"Tab does not reach {sorted(set(enabled) - reached)}")


def slider(page, folder):
    """A 1920 x 1080 photo: its first drawing, then each slider step from the
    key press to the frame after its redraw."""
    page.open(folder / "photo.jpg")
    first = float(page.js("return document.body.dataset.redrawMs"))
    page["dither"].send_keys(Keys.HOME)  # none: a dither takes no threshold
    page["threshold"].send_keys(Keys.HOME)
    page.js("""window.steps = [];
        const slider = document.getElementById('threshold');
        slider.addEventListener('keydown', () => { window.pressed = performance.now(); }, true);
        slider.addEventListener('input', () => requestAnimationFrame(() => setTimeout(() =>
            window.steps.push([performance.now() - window.pressed, Number(document.body.dataset.redrawMs)]))));""")
    page["threshold"].send_keys(*[Keys.ARROW_RIGHT] * 10)
    WebDriverWait(page.driver, 10).until(lambda d: len(page.js("return window.steps")) == 10)
    steps = page.js("return window.steps")
    worst = max(step[0] for step in steps)
    print(f"  1920 x 1080 JPEG: first drawn in {first:.0f} ms; a slider step: redrawn in "
          f"{max(step[1] for step in steps):.1f} ms at most, key press to frame {worst:.1f} ms at most")
    check(worst < 100, f"a slider step took {worst:.0f} ms")
    check(page.dots() == cli_dots(folder, "photo.jpg", page.settings()), "the photo's dots after the slider")


def schemes(page, screenshot, dark_screenshot):
    """The page in use (Quillon's logo as a C array), legible in light and dark schemes."""
    page.open(LOGO)
    page.choose("text-mode", "alone")
    page["font-builtin"].click()
    for field, value in (("size", ""), ("text", "Quillon")):
        page[field].clear()
        page[field].send_keys(value)
    for control, value in (("align", ""), ("text-mode", "off"), ("fit", "contain"), ("background", "white"),
                           ("rotate", "0"), ("flip", "none"), ("dither", "atkinson"), ("format", "c")):
        page.choose(control, value)
    if page["inverse"].is_selected():
        page["inverse"].click()
    page["label"].clear()
    page["label"].send_keys("logo")
    page.js("document.activeElement.blur(); window.scrollTo(0, 0)")
    page.driver.set_window_size(1100, page.js("return document.documentElement.scrollHeight") + 140)

    def luminance(rgb):
        linear = [c / 255 / 12.92 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4 for c in rgb]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]
    for scheme, path in (("light", screenshot), ("dark", dark_screenshot)):
        page.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [{"name": "prefers-color-scheme",
                                                                                 "value": scheme}]})
        back, panel, *fore = page.js("""
            const rgb = (e, what) => getComputedStyle(e)[what].match(/\\d+/g).slice(0, 3).map(Number);
            return [rgb(document.body, 'backgroundColor'), rgb(document.querySelector('fieldset'), 'backgroundColor'),
                    ...['body', 'legend', '#table', '#error', '#command', 'label']
                        .map((s) => rgb(document.querySelector(s), 'color'))];""")
        check((luminance(back) < 0.1) == (scheme == "dark"), f"{scheme}: the page's background is {back}")
        for colour in fore:
            for behind in (back, panel):
                light, dark = sorted((luminance(colour), luminance(behind)), reverse=True)
                ratio = (light + 0.05) / (dark + 0.05)
                check(ratio >= 4.5, f"{scheme}: {colour} on {behind}: contrast {ratio:.1f}")
        if path:
            save_screenshot(page, path)


def save_screenshot(page, path):
    """Kept as it is unless the page looks different: Chromium's anti-aliasing of
    rounded corners varies by a few pixels from run to run."""
    new = path.with_name(path.stem + ".new.png")
    page.driver.save_screenshot(str(new))
    differing = None  # pixels, when both are pictures of one size
    if path.exists():
        compared = subprocess.run(["compare", "-metric", "AE", path, new, "null:"], capture_output=True, text=True)
        differing = float(compared.stderr.split()[0]) if compared.returncode in (0, 1) else None
    if differing is None or differing > 200:
        new.replace(path)
    else:
        new.unlink()


def offline(page):
    """The page asked for nothing but itself and its own data: and blob: addresses."""
    asked = [m["params"]["request"]["url"] for m in (json.loads(e["message"])["message"]
                                                   for e in page.driver.get_log("performance"))
             if m["method"] == "Network.requestWillBeSent" and m["params"]["documentURL"].startswith("file:")]
    check(any(url.endswith(".html") for url in asked), f"the page's own load was not seen: {asked[:3]}")
    check(all(re.match(r"(file|data|blob):", url) for url in asked), f"the page asked for {asked[:3]}")
    check(page.js("return navigator.onLine") is False, "the browser was online")


def main():
    global CLI, CHOICES, FORMATS, LABELLED
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("page", type=pathlib.Path)
    parser.add_argument("cli", type=pathlib.Path)
    parser.add_argument("--screenshot", type=pathlib.Path)
    parser.add_argument("--dark-screenshot", type=pathlib.Path)
    args = parser.parse_args()
    if not args.page.is_file():
        print(f"FAIL: {args.page} is not built: scripts/build-web builds it (./test does)")
        return 1
    CLI = str(args.cli.resolve())
    started = last = time.monotonic()

    def lap(what):
        nonlocal last
        print(f"{what}: {time.monotonic() - last:.1f} s", flush=True)
        last = time.monotonic()
    # The formats and choices as quillon-cli's help lists them.
    CHOICES = dict(re.findall(r"--(\w+) \w+:\{([^}]*)\}", cli("convert", "--help", cwd=".")[1].decode()))
    CHOICES = {option: words.split(",") for option, words in CHOICES.items()}
    FORMATS = CHOICES.pop("format")
    CHOICES.pop("frames")  # all, the one choice: an output of every frame, not a picture option
    LABELLED = [f for f in FORMATS if f not in ("listing", "bin", "bmp")]
    with tempfile.TemporaryDirectory(prefix="quillon-web-") as temporary:
        folder = pathlib.Path(temporary)
        (folder / "downloads").mkdir()
        files, hostile_files = make_files(folder)
        lap("files made")
        page = Page(args.page, folder / "downloads")
        try:
            check(page.js("return document.body.dataset.ready") == "yes", "the page did not start")
            offered = page.js("return quillon.choices")
            for option, words in CHOICES.items():
                check([w for w in offered[option] if (option, w) != ("flip", "none")] == words,
                      f"--{option}: the page offers {offered[option]}, quillon-cli {words}")
            check([f["name"] for f in page.js("return quillon.formats")] == FORMATS, "the formats differ")
            lap("browser started, page loaded")
            for name, part in (("tables", lambda: tables(page, folder, files)), ("text", lambda: text(page, folder)),
                               ("keyboard and labels", lambda: keyboard(page)),
                               ("controls, Copy and Download", lambda: controls(page, folder, folder / "downloads")),
                               ("hostile files", lambda: hostile(page, folder, hostile_files)),
                               ("pasted and dropped", lambda: pasted_and_dropped(page, folder)),
                               ("slider", lambda: slider(page, folder)),
                               ("colour schemes", lambda: schemes(page, args.screenshot, args.dark_screenshot)),
                               ("offline", lambda: offline(page))):
                part()
                lap(name)
        finally:
            page.driver.quit()
    print(f"{len(failures)} failures, {time.monotonic() - started:.1f} s in all")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
