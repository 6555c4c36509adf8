// Quillon's page: window.quillon, a small script API over the C interface
// (include/quillon/quillon.h) compiled to WebAssembly, and the page built on
// it. Options are named as quillon-cli's long options, so that a table made
// here is the one quillon-cli makes from the same file and options.
"use strict";

(function () {
  const DisplayBytes = 488;
  const Width = 122;
  const Height = 32;
  const ErrorSize = 1024;
  // Offsets in the C structs (wasm32: pointers, size_t and int are 4 bytes).
  const PictureFields = { fit: 0, background: 4, dither: 8, threshold: 12, rotate: 16, flip: 20, frame: 24, inverse: 28 };
  const PictureSize = 32;
  const TextFields = { font: 0, fontSize: 4, size: 8, x: 12, y: 16, align: 20, valign: 24, "line-spacing": 28, inverse: 32 };
  const TextSize = 36;
  const PictureWords = ["fit", "background", "dither", "flip"];
  const PictureNumbers = ["threshold", "rotate", "frame"];
  const Known = {
    convert: ["format", "label", "name", ...PictureWords, ...PictureNumbers, "inverse", "frames"],
    preview: ["name", ...PictureWords, ...PictureNumbers, "inverse"],
    text: ["font", "font-name", "size", "x", "y", "align", "valign", "line-spacing", "inverse", "onto", "name",
           "format", "output", ...PictureWords, ...PictureNumbers],
  };

  // One line, as quillon-cli says it.
  function oneLine(text) {
    return text.split(/[\r\n]+/).map((line) => line.trim()).filter((line) => line).join(" ");
  }

  function checkKnown(options, kind) {
    for (const key of Object.keys(options || {})) {
      if (!Known[kind].includes(key) && options[key] !== undefined)
        throw new Error(`${key} is no option of ${kind}: ${Known[kind].join(", ")}`);
    }
  }

  function integer(options, name, fallback) {
    const value = options[name];
    if (value === undefined || value === null || value === "")
      return fallback;
    const number = Number(value);
    if (!Number.isInteger(number))
      throw new Error(`--${name}: ${value} is not an integer`);
    return number;
  }

  function makeApi(M) {
    // Memory taken in the module for one call, given back at its end. A
    // malloc may grow the memory, which replaces the HEAP views: they are
    // looked up after every allocation.
    class Scope {
      constructor() { this.taken = []; }
      alloc(size) {
        const pointer = M._malloc(Math.max(size, 1));
        if (!pointer)
          throw new Error("out of memory");
        this.taken.push(pointer);
        return pointer;
      }
      bytes(array) {
        const pointer = this.alloc(array.length);
        M.HEAPU8.set(array, pointer);
        return pointer;
      }
      string(text) {
        const size = M.lengthBytesUTF8(text) + 1;
        const pointer = this.alloc(size);
        M.stringToUTF8(text, pointer, size);
        return pointer;
      }
      release() {
        for (const pointer of this.taken)
          M._free(pointer);
      }
    }
    function scoped(work) {
      const scope = new Scope();
      try {
        return work(scope);
      } finally {
        scope.release();
      }
    }
    function setWord(pointer, value) {
      M.HEAPU32[pointer >> 2] = value;
    }
    // A quillon_bytes' content, freed.
    function taken(pointer) {
      const data = M.HEAPU32[pointer >> 2];
      const size = M.HEAPU32[(pointer >> 2) + 1];
      const copy = M.HEAPU8.slice(data, data + size);
      M._quillon_bytes_free(pointer);
      return copy;
    }
    function list(at) {
      const names = [];
      for (let k = 0; at(k); ++k)
        names.push(M.UTF8ToString(at(k)));
      return names;
    }
    function asBytes(bytes, what) {
      if (bytes instanceof Uint8Array)
        return bytes;
      if (bytes instanceof ArrayBuffer || ArrayBuffer.isView(bytes))
        return new Uint8Array(bytes.buffer || bytes, bytes.byteOffset || 0, bytes.byteLength);
      throw new Error(`${what} must be bytes (a Uint8Array or an ArrayBuffer)`);
    }

    const formats = list((k) => M._quillon_format_name(k)).map((name) => scoped((s) => {
      const word = s.string(name);
      return { name, extension: M.UTF8ToString(M._quillon_format_extension(word)),
               label: M._quillon_format_takes_label(word) !== 0, frames: M._quillon_format_holds_frames(word) !== 0 };
    }));
    const choices = {};
    for (const option of ["fit", "background", "dither", "rotate", "flip", "align", "valign"])
      choices[option] = scoped((s) => { const word = s.string(option); return list((k) => M._quillon_option_choice(word, k)); });
    const hex = (lit) => "#" + M._quillon_dot_colour(lit).toString(16).padStart(6, "0");
    const dotColours = { lit: hex(1), clear: hex(0) };

    function formatNamed(name) {
      const format = formats.find((f) => f.name === (name || "listing"));
      if (!format)
        throw new Error(`--format: ${name} is none of ${formats.map((f) => f.name).join(", ")}`);
      return format;
    }

    // A quillon_picture_options from the options; inverse only when asked.
    function pictureOptions(s, options, withInverse) {
      const pointer = s.alloc(PictureSize);
      M._quillon_picture_options_init(pointer);
      for (const name of PictureWords) {
        if (options[name] !== undefined && options[name] !== null) {
          const word = s.string(String(options[name]));
          setWord(pointer + PictureFields[name], word);
        }
      }
      for (const name of PictureNumbers)
        M.HEAP32[(pointer + PictureFields[name]) >> 2] = integer(options, name, M.HEAP32[(pointer + PictureFields[name]) >> 2]);
      M.HEAP32[(pointer + PictureFields.inverse) >> 2] = withInverse && options.inverse ? 1 : 0;
      return pointer;
    }

    function named(name, why) {
      return `${name || "standard input"}: ${oneLine(why)}`;
    }

    // A file's display image (488 bytes) under picture options, or an Error
    // with quillon-cli's words.
    function imageOf(bytes, options, withInverse) {
      bytes = asBytes(bytes, "The file");
      return scoped((s) => {
        const file = s.bytes(bytes);
        const chosen = pictureOptions(s, options, withInverse);
        const image = s.alloc(DisplayBytes);
        const error = s.alloc(ErrorSize);
        if (M._quillon_dots(file, bytes.length, chosen, image, error, ErrorSize) !== 0)
          throw new Error(named(options.name, M.UTF8ToString(error)));
        return M.HEAPU8.slice(image, image + DisplayBytes);
      });
    }

    function dotsOf(image) {
      return scoped((s) => {
        const from = s.bytes(image);
        const dots = s.alloc(Width * Height);
        M._quillon_image_dots(from, dots);
        return M.HEAPU8.slice(dots, dots + Width * Height);
      });
    }

    function write(image, options) {
      options = options || {};
      const format = formatNamed(options.format);
      return scoped((s) => {
        const from = s.bytes(image);
        const formatWord = s.string(format.name);
        const label = s.string(options.label || "");
        const name = s.string(options.name || "");
        const out = s.alloc(8);
        const error = s.alloc(ErrorSize);
        if (M._quillon_write(from, formatWord, label, name, out, error, ErrorSize) !== 0)
          throw new Error(`--label: ${oneLine(M.UTF8ToString(error))}`);
        return taken(out);
      });
    }

    // Every frame of a file as one animation table, as quillon-cli convert
    // --frames all writes it; refused as quillon-cli refuses its options.
    function framesOf(bytes, options) {
      bytes = asBytes(bytes, "The file");
      const format = formatNamed(options.format);
      if (format.frames && options.label)
        write(new Uint8Array(DisplayBytes), { format: format.name, label: options.label });
      return scoped((s) => {
        const file = s.bytes(bytes);
        const chosen = pictureOptions(s, options, true);
        const words = [format.name, options.label || "", options.name || ""].map((word) => s.string(word));
        const out = s.alloc(8);
        const error = s.alloc(ErrorSize);
        if (M._quillon_frames(file, bytes.length, chosen, ...words, out, error, ErrorSize) !== 0) {
          const why = M.UTF8ToString(error);
          throw new Error(format.frames ? named(options.name, why) : `--frames: ${oneLine(why)}`);
        }
        return taken(out);
      });
    }

    // Text drawn into a copy of `image`, as quillon-cli text draws it: the
    // image and the lines it says that are no failure.
    function drawText(image, text, options) {
      options = options || {};
      const fontName = options["font-name"] || (options.font ? "font" : "built-in font");
      const size = integer(options, "size", 0);
      if (options.size !== undefined && options.size !== null && options.size !== "" && size < 1)
        throw new Error(`${fontName}: --size ${size} is no pixel size; give 1 to 128`);
      return scoped((s) => {
        const chosen = s.alloc(TextSize);
        M._quillon_text_options_init(chosen);
        if (options.font) {
          const font = asBytes(options.font, "The font");
          const at = s.bytes(font);
          setWord(chosen + TextFields.font, at);
          setWord(chosen + TextFields.fontSize, font.length);
        }
        M.HEAP32[(chosen + TextFields.size) >> 2] = size;
        for (const name of ["x", "y", "line-spacing"])
          M.HEAP32[(chosen + TextFields[name]) >> 2] = integer(options, name, 0);
        for (const name of ["align", "valign"]) {
          if (options[name]) {
            if (!choices[name].includes(options[name]))
              throw new Error(`--${name}: ${options[name]} is none of ${choices[name].join(", ")}`);
            const word = s.string(options[name]);
            setWord(chosen + TextFields[name], word);
          }
        }
        M.HEAP32[(chosen + TextFields.inverse) >> 2] = options.inverse ? 1 : 0;
        const words = s.string(String(text));
        const into = s.bytes(image);
        const notes = s.alloc(8);
        const error = s.alloc(ErrorSize);
        if (M._quillon_text(words, chosen, into, notes, error, ErrorSize) !== 0) {
          const why = oneLine(M.UTF8ToString(error));
          throw new Error(why.startsWith("TEXT ") ? `TEXT: ${why.slice(5)}` : `${fontName}: ${why}`);
        }
        const said = new TextDecoder().decode(taken(notes)).split("\n").filter((line) => line)
          .map((line) => line.startsWith("font: ") ? `${fontName}: ${line.slice(6)}` : line);
        return { image: M.HEAPU8.slice(into, into + DisplayBytes), notes: said };
      });
    }

    function textImage(text, options) {
      options = options || {};
      checkKnown(options, "text");
      // --onto: the picture's dots under the picture options; --inverse turns the whole over at the end.
      const background = options.onto ? imageOf(options.onto, options, false) : new Uint8Array(DisplayBytes);
      return drawText(background, text, options);
    }

    function outputName(input, bytes, format) {
      return scoped((s) => {
        const name = s.string(input || "");
        const file = bytes ? s.bytes(asBytes(bytes, "The file")) : 0;
        const formatWord = s.string(formatNamed(format).name);
        const out = s.alloc(8);
        const error = s.alloc(ErrorSize);
        if (M._quillon_output_name(name, file, bytes ? bytes.length : 0, formatWord, out, error, ErrorSize) !== 0)
          throw new Error(oneLine(M.UTF8ToString(error)));
        return new TextDecoder().decode(taken(out));
      });
    }

    // A file read once and turned into dots again as options change: a
    // picture is decoded once, and a new threshold is that step alone.
    class OpenedFile {
      constructor(bytes, name) {
        bytes = asBytes(bytes, "The file");
        this.name = name;
        this.bytes = bytes;
        this.identity = scoped((s) => M.UTF8ToString(M._quillon_identify(s.bytes(bytes), bytes.length)));
        this.handle = scoped((s) => M._quillon_open(s.bytes(bytes), bytes.length));
        if (!this.handle)
          throw new Error(named(name, "out of memory"));
      }
      image(options, withInverse = true) {
        options = options || {};
        if (!this.handle)
          throw new Error(named(this.name, "is closed"));
        return scoped((s) => {
          const chosen = pictureOptions(s, options, withInverse);
          const image = s.alloc(DisplayBytes);
          const error = s.alloc(ErrorSize);
          if (M._quillon_file_dots(this.handle, chosen, image, error, ErrorSize) !== 0)
            throw new Error(named(this.name, M.UTF8ToString(error)));
          const notice = M.UTF8ToString(M._quillon_file_notice(this.handle));
          this.notice = notice ? named(this.name, notice) : "";
          return M.HEAPU8.slice(image, image + DisplayBytes);
        });
      }
      dots(options) {
        return dotsOf(this.image(options));
      }
      close() {
        if (this.handle)
          M._quillon_close(this.handle);
        this.handle = 0;
      }
    }

    return {
      version: M.UTF8ToString(M._quillon_version()),
      formats,
      choices,
      dotColours,
      // "picture PNG", "table c", or "" for neither.
      identify: (bytes) => scoped((s) => {
        bytes = asBytes(bytes, "The file");
        return M.UTF8ToString(M._quillon_identify(s.bytes(bytes), bytes.length));
      }),
      // The table quillon-cli convert writes: options.name is the file's name
      // (in messages and C's default array name).
      convert(bytes, options) {
        options = options || {};
        checkKnown(options, "convert");
        formatNamed(options.format);
        if (options.frames !== undefined && options.frames !== "all")
          throw new Error(`--frames: ${options.frames} is not all, the one choice`);
        if (options.frames === "all")
          return framesOf(bytes, options);
        return write(imageOf(bytes, options, true), { format: options.format, label: options.label, name: options.name });
      },
      // The 3,904 dots, row by row from the top-left, 1 lit.
      preview(bytes, options) {
        options = options || {};
        checkKnown(options, "preview");
        return dotsOf(imageOf(bytes, options, true));
      },
      // Text drawn as quillon-cli text draws it (options.onto: a picture's
      // bytes to draw onto): the 3,904 dots.
      text: (text, options) => dotsOf(textImage(text, options).image),
      // quillon-cli text's table: options.output is the -o name, for C's array name.
      textTable(text, options) {
        options = options || {};
        const drawn = textImage(text, options);
        const output = options.output || outputName("text", null, options.format);
        return write(drawn.image, { format: options.format, name: output });
      },
      open: (bytes, name) => new OpenedFile(bytes, name),
      outputName,
      framesOf,
      dotsOf,
      write,
      drawText,
    };
  }

  // --- the page ---

  const $ = (id) => document.getElementById(id);
  const Scale = 6;
  let api = null;
  let input = null;   // the OpenedFile shown, or null
  let font = null;    // { name, bytes } of a font file, or null: the built-in font
  let table = null;   // { bytes, name, binary } of the table shown
  let pasteTimer = 0;

  function quoted(word) {
    return /^[A-Za-z0-9_@%+=:,./-]+$/.test(word) ? word : "'" + word.replace(/'/g, "'\\''") + "'";
  }
  // An argument that could be read as an option goes after --.
  function operand(word) {
    return (word.startsWith("-") && word !== "-" ? "-- " : "") + quoted(word);
  }

  function pictureSettings() {
    const settings = {};
    for (const name of PictureWords)
      settings[name] = $(name).value;
    settings.threshold = Number($("threshold").value);
    settings.rotate = Number($("rotate").value);
    settings.frame = $("frame").value === "" ? 0 : Number($("frame").value);
    settings.inverse = $("inverse").checked && !$("inverse").disabled;
    settings.frames = $("frames").checked && !$("frames").disabled ? "all" : undefined;
    return settings;
  }

  function textSettings() {
    const settings = { font: font ? font.bytes : undefined, "font-name": font ? font.name : undefined,
                       x: $("x").value, y: $("y").value, "line-spacing": $("line-spacing").value,
                       inverse: $("inverse").checked };
    if ($("size").value !== "")
      settings.size = $("size").value;
    for (const name of ["align", "valign"]) {
      if ($(name).value)
        settings[name] = $(name).value;
    }
    return settings;
  }

  // The picture options quillon-cli is given: those that differ from its defaults.
  function pictureArguments(settings) {
    const words = [];
    for (const name of PictureWords) {
      if (settings[name] !== api.choices[name][0])
        words.push(`--${name}`, settings[name]);
    }
    if (settings.threshold !== 128 && settings.dither === "none")
      words.push("--threshold", String(settings.threshold));
    if (settings.rotate !== 0)
      words.push("--rotate", String(settings.rotate));
    if (settings.frames)
      words.push("--frames", "all");
    else if (settings.frame !== 0)
      words.push("--frame", String(settings.frame));
    return words;
  }

  function commandLine(mode, format, label, output) {
    const picture = pictureSettings();
    const isTable = input && input.identity.startsWith("table");
    if (mode === "off") {
      const words = ["quillon-cli", "convert"];
      if (format !== "listing")
        words.push("-f", format);
      if (label)
        words.push("--label", quoted(label));
      if (!isTable)
        words.push(...pictureArguments(picture));
      else if (picture.frames)
        words.push("--frames", "all");
      if (picture.inverse)
        words.push("--inverse");
      words.push(operand(input.name));
      return words.join(" ");
    }
    const text = textSettings();
    const words = ["quillon-cli", "text"];
    if (font)
      words.push("--font", quoted(font.name));
    if (text.size !== undefined)
      words.push("--size", String(text.size));
    for (const name of ["x", "y", "line-spacing"]) {
      if (Number(text[name]) !== 0)
        words.push(`--${name}`, String(Number(text[name])));
    }
    for (const name of ["align", "valign"]) {
      if (text[name])
        words.push(`--${name}`, text[name]);
    }
    if (text.inverse)
      words.push("--inverse");
    if (mode === "onto") {
      words.push("--onto", quoted(input.name));
      if (!isTable)
        words.push(...pictureArguments(picture));
    }
    if (format !== "listing")
      words.push("-f", format);
    words.push("-o", quoted(output));
    // A line feed is written as quillon-cli's \n.
    words.push(operand($("text").value.replace(/\r?\n/g, "\\n")));
    return words.join(" ");
  }

  function hexDump(bytes) {
    const lines = [];
    for (let at = 0; at < bytes.length; at += 16) {
      const row = Array.from(bytes.subarray(at, at + 16), (b) => b.toString(16).padStart(2, "0"));
      lines.push(at.toString(16).padStart(4, "0") + "  " + row.join(" "));
    }
    return lines.join("\n");
  }

  function draw(dots) {
    const pixels = new ImageData(Width, Height);
    const colours = [api.dotColours.clear, api.dotColours.lit].map((c) => [1, 3, 5].map((k) => parseInt(c.substr(k, 2), 16)));
    for (let k = 0; k < Width * Height; ++k) {
      const [r, g, b] = colours[dots ? dots[k] : 0];
      pixels.data.set([r, g, b, 255], k * 4);
    }
    const actual = $("actual").getContext("2d");
    actual.putImageData(pixels, 0, 0);
    const large = $("dots").getContext("2d");
    large.imageSmoothingEnabled = false;
    large.drawImage($("actual"), 0, 0, Width * Scale, Height * Scale);
  }

  function showTable(shown) {
    table = shown;
    $("table").value = shown ? (shown.binary ? hexDump(shown.bytes) : new TextDecoder().decode(shown.bytes)) : "";
    $("table-name").textContent = shown ? shown.name : "";
    $("table-kind").textContent = shown && shown.binary
      ? `${shown.bytes.length} bytes of binary, shown in hex; Copy copies the hex, Download the bytes.` : "";
    $("copy").disabled = $("download").disabled = !shown;
    $("download").textContent = shown ? `Download ${shown.name}` : "Download";
  }

  function updateControls() {
    const mode = $("text-mode").value;
    const format = api.formats.find((f) => f.name === $("format").value);
    const isTable = input && input.identity.startsWith("table");
    for (const id of [...PictureWords, ...PictureNumbers])
      $(id).disabled = mode === "alone" || isTable;
    // A dither takes no threshold.
    $("threshold").disabled ||= $("dither").value !== "none";
    $("inverse").disabled = mode === "off" && isTable;
    // Every frame makes one table of a file alone, in a format that holds frames.
    $("frames").disabled = mode !== "off" || !format.frames;
    for (const id of ["text", "font", "font-builtin", "size", "x", "y", "align", "valign", "line-spacing"])
      $(id).disabled = mode === "off";
    $("label").disabled = !format.label || mode !== "off";
  }

  // Everything drawn again from the controls: the dots, the table, the command line.
  function redraw() {
    const started = performance.now();
    updateControls();
    $("error").textContent = "";
    $("notes").textContent = "";
    const mode = $("text-mode").value;
    const format = $("format").value;
    const label = $("label").disabled ? "" : $("label").value;
    if (!input && mode !== "alone") {
      draw(null);
      showTable(null);
      $("command").textContent = "";
      return;
    }
    let image = null;
    const notes = [];
    try {
      if (mode === "alone") {
        image = new Uint8Array(DisplayBytes);
      } else {
        // Under text, --inverse turns the whole over at the end, not the picture.
        image = input.image(pictureSettings(), mode === "off");
        if (input.notice)
          notes.push(input.notice);
      }
      if (mode !== "off") {
        const drawn = api.drawText(image, $("text").value, textSettings());
        image = drawn.image;
        notes.push(...drawn.notes);
      }
      draw(api.dotsOf(image));
      const output = mode === "alone" ? api.outputName("text", null, format)
        : api.outputName(input.name, input.bytes, format);
      const settings = pictureSettings();
      const bytes = mode === "off" && settings.frames
        ? api.framesOf(input.bytes, { ...settings, format, label, name: input.name })
        : api.write(image, { format, label, name: mode === "off" ? input.name : output });
      showTable({ bytes, name: output, binary: format === "bin" || format === "bmp" });
      $("command").textContent = commandLine(mode, format, label, output);
    } catch (error) {
      if (!image)
        draw(null);
      showTable(null);
      $("command").textContent = "";
      $("error").textContent = error.message;
    }
    $("notes").textContent = notes.join("\n");
    document.body.dataset.redrawMs = (performance.now() - started).toFixed(1);
  }

  function openBytes(bytes, name) {
    let opened;
    try {
      opened = api.open(bytes, name);
    } catch (error) {
      $("error").textContent = error.message;
      return;
    }
    if (input)
      input.close();
    input = opened;
    $("frame").value = 0;  // another file's frame
    if ($("text-mode").value === "alone")
      $("text-mode").value = "off";
    const kind = opened.identity ? opened.identity.replace(/^picture /, "a picture, ").replace(/^table /, "a table, ")
                                 : "neither a picture nor a table";
    $("source").textContent = `${name}: ${kind}`;
    redraw();
  }

  async function openFile(file) {
    openBytes(new Uint8Array(await file.arrayBuffer()), file.name);
  }

  // A pasted table is named as the file it would be saved as: pasted and its format's ending.
  function openPasted() {
    const text = $("pasted").value;
    if (!text.trim())
      return;
    const bytes = new TextEncoder().encode(text);
    const told = api.identify(bytes);
    const format = told.startsWith("table ") ? api.formats.find((f) => f.name === told.slice(6)) : null;
    openBytes(bytes, "pasted" + (format ? format.extension : ".txt"));
  }

  async function copy(text) {
    try {
      await navigator.clipboard.writeText(text);
    } catch (error) {
      // Without the clipboard API (some file:// pages): the selection's copy.
      const area = document.createElement("textarea");
      area.value = text;
      document.body.append(area);
      area.select();
      document.execCommand("copy");
      area.remove();
    }
  }

  function download() {
    if (!table)
      return;
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([table.bytes], { type: "application/octet-stream" }));
    link.download = table.name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  function fillChoices() {
    for (const select of document.querySelectorAll("select[data-option]")) {
      const option = select.dataset.option;
      const words = (select.dataset.none !== undefined ? [""] : []).concat(api.choices[option]);
      select.replaceChildren(...words.map((word) => new Option(word || select.dataset.none, word)));
    }
    $("format").replaceChildren(...api.formats.map((f) => new Option(`${f.name} (${f.extension})`, f.name)));
  }

  function wire() {
    // Lists and boxes as they change, fields as they are typed in.
    for (const id of [...PictureWords, "rotate", "inverse", "frames", "text-mode", "align", "valign", "format"])
      $(id).addEventListener("change", redraw);
    for (const id of ["frame", "text", "size", "x", "y", "line-spacing", "label"])
      $(id).addEventListener("input", redraw);
    $("threshold").addEventListener("input", () => {
      $("threshold-value").textContent = $("threshold").value;
      redraw();
    });
    $("file").addEventListener("change", () => {
      if ($("file").files[0])
        openFile($("file").files[0]);
    });
    $("font").addEventListener("change", async () => {
      const file = $("font").files[0];
      font = file ? { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) } : null;
      redraw();
    });
    $("font-builtin").addEventListener("click", () => {
      $("font").value = "";
      font = null;
      redraw();
    });
    $("pasted").addEventListener("input", () => {
      clearTimeout(pasteTimer);
      pasteTimer = setTimeout(openPasted, 150);
    });
    $("copy").addEventListener("click", () => copy($("table").value));
    $("copy-command").addEventListener("click", () => copy($("command").textContent));
    $("download").addEventListener("click", download);
    document.addEventListener("dragover", (event) => {
      event.preventDefault();
      document.body.classList.add("dragging");
    });
    document.addEventListener("dragleave", (event) => {
      if (!event.relatedTarget)
        document.body.classList.remove("dragging");
    });
    document.addEventListener("drop", (event) => {
      event.preventDefault();
      document.body.classList.remove("dragging");
      const file = event.dataTransfer.files[0];
      if (file) {
        openFile(file);
      } else if (event.dataTransfer.getData("text/plain")) {
        $("pasted").value = event.dataTransfer.getData("text/plain");
        openPasted();
      }
    });
  }

  window.quillonReady = QuillonModule().then((module) => {
    api = makeApi(module);
    window.quillon = api;
    fillChoices();
    wire();
    redraw();
    document.body.dataset.ready = "yes";
    return api;
  }, (error) => {
    $("error").textContent = `quillon: cannot start: ${error}`;
    throw error;
  });
})();
