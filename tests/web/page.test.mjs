// The exported puzzle page in a real browser: headless chromium solves a
// 30 × 26 and a 100 × 100 puzzle by clicks and strokes, and checks the
// verdicts, undo, the clue colours, the saved progress and the page's
// self-containment. Screenshots stay in OUT for a look.
//
//   node page.test.mjs --cli path/to/kletomer-cli --out DIR [--browser path/to/chromium]
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

let puppeteer;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch (e) {
  console.error('puppeteer-core is missing: run tools/deps.sh (npm ci in tests/web)');
  process.exit(1);
}

const arg = (name, fallback) => {
  const k = process.argv.indexOf(name);
  return k >= 0 ? process.argv[k + 1] : fallback;
};
const cli = arg('--cli');
const out = arg('--out');
const browserPath = arg('--browser', process.env.CHROMIUM || '/usr/bin/chromium');
assert.ok(cli && out, 'usage: node page.test.mjs --cli KLETOMER_CLI --out DIR');
fs.mkdirSync(out, { recursive: true });

// ---- puzzles ---------------------------------------------------------------

// A picture of overlapping discs, the same on every run.
function picture(cols, rows, seed) {
  let s = seed >>> 0;
  const random = () => ((s = (Math.imul(s, 1664525) + 1013904223) >>> 0) / 4294967296);
  const cells = Array.from({ length: rows }, () => new Array(cols).fill(false));
  const discs = Math.max(4, Math.round((cols * rows) / 60));
  for (let k = 0; k < discs; k++) {
    const cx = random() * cols, cy = random() * rows, radius = 1 + random() * Math.min(cols, rows) / 8;
    for (let r = 0; r < rows; r++)
      for (let c = 0; c < cols; c++) if ((c - cx) ** 2 + (r - cy) ** 2 <= radius * radius) cells[r][c] = !cells[r][c];
  }
  return cells;
}

function writePicture(file, cells) {
  const rows = cells.length, cols = cells[0].length;
  let text = `[Options]\r\nHeight=${rows}\r\nWidth=${cols}\r\nCellSize=24\r\nWord=\r\n[Field]\r\n`;
  cells.forEach((row, r) => {
    text += `Str${r}=` + row.map((on) => (on ? ';-' : '; ')).join('') + '\r\n';
  });
  fs.writeFileSync(file, text, 'latin1');
}

// Generates the puzzle of a picture and exports its page; the picture is its answer.
function makePage(name, cols, rows, seed) {
  const pic = path.join(out, `${name}-picture.kvt`), puzzle = path.join(out, `${name}.kvt`);
  const html = path.join(out, `${name}.html`);
  writePicture(pic, picture(cols, rows, seed));
  execFileSync(cli, ['generate', pic, puzzle, '--seed', '1'], { stdio: 'pipe' });
  execFileSync(cli, ['export', puzzle, html], { stdio: 'pipe' });
  // The answer and the clues read back from the puzzle file: each cell is
  // ";" and its text, "-" marking a filled cell, a digit a clue.
  const lines = fs.readFileSync(puzzle, 'latin1').split(/\r?\n/);
  const cells = [], clues = [];
  for (let r = 0; r < rows; r++) {
    const texts = lines.find((l) => l.startsWith(`Str${r}=`)).slice(`Str${r}=`.length).split(';').slice(1);
    assert.equal(texts.length, cols);
    cells.push(texts.map((t) => t.includes('-')));
    clues.push(texts.map((t) => (/^-?\d$/.test(t.trim()) ? Math.abs(Number(t.trim())) : -1)));
  }
  assert.ok(cells.flat().some(Boolean) && clues.flat().some((v) => v >= 0));
  return { html, cols, rows, cells, clues, bytes: fs.statSync(html).size };
}

// ---- page helpers ------------------------------------------------------------

async function openPage(browser, file, viewport) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const requests = [];
  page.on('request', (r) => requests.push(r.url()));
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(pathToFileURL(file).href, { waitUntil: 'load' });
  return { page, requests, errors };
}

async function geometry(page) {
  return page.evaluate(() => {
    const b = document.querySelector('rect.paper').getBoundingClientRect();
    const svg = document.querySelector('#board svg');
    return { left: b.left, top: b.top, width: b.width, height: b.height, cols: +svg.dataset.cols, rows: +svg.dataset.rows };
  });
}

// The middle of a cell in page coordinates, scrolling it into view first;
// the field's place is read once per page and scroll position.
const places = new WeakMap();
async function cellPoint(page, c, r) {
  let g = places.get(page);
  if (!g) places.set(page, (g = await geometry(page)));
  const x = g.left + ((c + 0.5) * g.width) / g.cols, y = g.top + ((r + 0.5) * g.height) / g.rows;
  const vh = page.viewport().height;
  if (y < 10 || y > vh - 10) {
    await page.evaluate((dy) => window.scrollBy(0, dy), y - vh / 2);
    places.delete(page);
    return cellPoint(page, c, r);
  }
  return { x, y };
}
const forgetPlace = (page) => places.delete(page);

async function click(page, c, r, button = 'left') {
  const p = await cellPoint(page, c, r);
  await page.mouse.click(p.x, p.y, { button });
}

// One stroke from (c0, r) to (c1, r): the pointer jumps from the first cell
// to the last, and the page fills the cells between.
async function stroke(page, r, c0, c1) {
  const a = await cellPoint(page, c0, r), b = await cellPoint(page, c1, r);
  await page.mouse.move(a.x, a.y);
  await page.mouse.down();
  if (c1 !== c0) await page.mouse.move(b.x, b.y);
  await page.mouse.up();
}

const status = (page) => page.$eval('#status', (e) => e.textContent);
const count = (page, selector) => page.$$eval(selector, (list) => list.length);
const clueClass = (page, i) =>
  page.evaluate((k) => {
    const t = [...document.querySelectorAll('text.clue')][k];
    return t.getAttribute('class');
  }, i);

// Fills every filled cell of rows [from, to) of the answer, a stroke per run.
async function fillRows(page, puzzle, from, to) {
  for (let r = from; r < to; r++) {
    for (let c = 0; c < puzzle.cols; ) {
      if (!puzzle.cells[r][c]) { c++; continue; }
      let e = c;
      while (e + 1 < puzzle.cols && puzzle.cells[r][e + 1]) e++;
      await stroke(page, r, c, e);
      c = e + 1;
    }
  }
}

const filledInRows = (puzzle, from, to) => puzzle.cells.slice(from, to).flat().filter(Boolean).length;

// The page asks for nothing but itself; no answer row stands in it as plain text.
function checkSelfContained(puzzle, requests) {
  const self = pathToFileURL(puzzle.html).href;
  const others = requests.filter((u) => u !== self && !u.startsWith('data:'));
  assert.deepEqual(others, [], 'the page requested other files');
  const text = fs.readFileSync(puzzle.html, 'utf8');
  assert.ok(!/https?:\/\//.test(text.replace(/http:\/\/www\.w3\.org\/2000\/svg/g, '')), 'the page names a web address');
  const row = (r) => puzzle.cells[r].map((on) => (on ? '1' : '0')).join('');
  for (let r = 0; r < puzzle.rows; r++) assert.ok(!text.includes(row(r)), `answer row ${r} stands in the page`);
}

// ---- the tests -----------------------------------------------------------------

const browser = await puppeteer.launch({
  executablePath: browserPath,
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--lang=ru'],
});
let failed = false;
const run = async (name, body) => {
  const t0 = Date.now();
  try {
    await body();
    console.log(`ok   ${name} (${((Date.now() - t0) / 1000).toFixed(1)} s)`);
  } catch (e) {
    failed = true;
    console.log(`FAIL ${name}\n${e.stack || e}`);
  }
};

try {
  const small = makePage('puzzle-30x26', 30, 26, 7);
  const large = makePage('puzzle-100x100', 100, 100, 11);
  console.log(`page sizes: 30 × 26 ${small.bytes} bytes, 100 × 100 ${large.bytes} bytes`);

  await run('30 × 26: verdicts, undo, clue colours, keyboard, reload, solved', async () => {
    assert.ok(small.bytes < 200 * 1024);
    const { page, requests, errors } = await openPage(browser, small.html, { width: 1100, height: 900 });
    checkSelfContained(small, requests);
    assert.equal(await page.title(), 'puzzle-30x26');
    assert.equal(await count(page, 'text.clue'), small.clues.flat().filter((v) => v >= 0).length);

    // A wrong cell: "Проверить" reports it; undo takes it back.
    let wrong = null;
    for (let r = 0; r < small.rows && !wrong; r++)
      for (let c = 0; c < small.cols && !wrong; c++) if (!small.cells[r][c]) wrong = [c, r];
    await click(page, ...wrong);
    assert.equal(await count(page, 'rect.fill'), 1);
    await page.click('#check');
    assert.match(await status(page), /^Есть ошибки: 1 клетка не сходится с ответом\.$/);
    await page.keyboard.down('Control');
    await page.keyboard.press('KeyZ');
    await page.keyboard.up('Control');
    assert.equal(await count(page, 'rect.fill'), 0);
    await page.click('#check');
    assert.equal(await status(page), 'Ошибок нет, продолжайте.');

    // Click cycles filled, white (a mark), clear; right-click marks white.
    await click(page, ...wrong);
    await click(page, ...wrong);
    assert.deepEqual([await count(page, 'rect.fill'), await count(page, 'rect.mark')], [0, 1]);
    await click(page, ...wrong);
    assert.deepEqual([await count(page, 'rect.fill'), await count(page, 'rect.mark')], [0, 0]);
    await click(page, ...wrong, 'right');
    assert.equal(await count(page, 'rect.mark'), 1);
    await page.click('#undo');
    assert.equal(await count(page, 'rect.mark'), 0);

    // A clue is red when its block holds too many filled cells, grey when its
    // block is decided and right. Find a clue below 9 and overfill it.
    const clueCells = [];
    small.clues.forEach((row, r) => row.forEach((v, c) => v >= 0 && clueCells.push([c, r, v])));
    const k = clueCells.findIndex(([c, r, v]) => v === 0 && c > 0 && r > 0 && c < small.cols - 1 && r < small.rows - 1);
    assert.ok(k >= 0, 'a clue 0 inside the field');
    const [zc, zr] = clueCells[k];
    await click(page, zc, zr);
    assert.match(await clueClass(page, k), /\bbad\b/);
    await page.click('#undo');
    assert.doesNotMatch(await clueClass(page, k), /\bbad\b/);

    // The keyboard settles that clue's block: every cell white (X), walking with the arrows.
    await click(page, zc - 1, zr - 1, 'right');
    for (const key of ['ArrowRight', 'ArrowRight', 'ArrowDown', 'ArrowLeft', 'ArrowLeft', 'ArrowDown', 'ArrowRight', 'ArrowRight']) {
      await page.keyboard.press(key);
      await page.keyboard.press('x');
    }
    assert.equal(await count(page, 'rect.mark'), 9);
    assert.match(await clueClass(page, k), /\bdone\b/);
    // Space fills the cell under the cursor and Backspace clears it.
    await page.keyboard.press('Space');
    assert.equal(await count(page, 'rect.fill'), 1);
    await page.keyboard.press('Backspace');
    assert.deepEqual([await count(page, 'rect.fill'), await count(page, 'rect.mark')], [0, 8]);
    await page.keyboard.press('x');
    // Redo after undo.
    await page.keyboard.down('Control');
    await page.keyboard.press('KeyZ');
    await page.keyboard.press('KeyY');
    await page.keyboard.up('Control');
    assert.deepEqual([await count(page, 'rect.fill'), await count(page, 'rect.mark')], [0, 9]);

    // Half the rows, a reload, the rest: the progress survives the reload.
    const half = Math.floor(small.rows / 2);
    await fillRows(page, small, 0, half);
    assert.equal(await count(page, 'rect.fill'), filledInRows(small, 0, half));
    await page.reload({ waitUntil: 'load' });
    forgetPlace(page);
    assert.equal(await count(page, 'rect.fill'), filledInRows(small, 0, half));
    assert.equal(await count(page, 'rect.mark'), 9);
    await fillRows(page, small, half, small.rows);
    assert.match(await status(page), /^Решено! Время: \d+:\d\d$/);
    assert.equal(await count(page, 'text.clue.bad'), 0);
    await page.evaluate(() => window.scrollTo(0, 0));
    forgetPlace(page);
    await page.screenshot({ path: path.join(out, 'solved-30x26-desktop.png') });
    // Solved stays solved after a reload.
    await page.reload({ waitUntil: 'load' });
    forgetPlace(page);
    assert.match(await status(page), /^Решено! Время:/);
    assert.deepEqual(errors, []);
    await page.close();
  });

  await run('100 × 100: solved by strokes across a reload', async () => {
    const { page, requests, errors } = await openPage(browser, large.html, { width: 1280, height: 1000 });
    checkSelfContained(large, requests);
    await fillRows(page, large, 0, 50);
    await page.reload({ waitUntil: 'load' });
    forgetPlace(page);
    assert.equal(await count(page, 'rect.fill'), filledInRows(large, 0, 50));
    await page.click('#check');
    assert.equal(await status(page), 'Ошибок нет, продолжайте.');
    await fillRows(page, large, 50, large.rows);
    assert.match(await status(page), /^Решено! Время:/);
    await page.evaluate(() => window.scrollTo(0, 0));
    forgetPlace(page);
    await page.screenshot({ path: path.join(out, 'solved-100x100-desktop.png') });
    assert.deepEqual(errors, []);
    await page.close();
  });

  await run('phone and dark screens; a tap fills; print shows the task alone', async () => {
    for (const scheme of ['light', 'dark']) {
      const { page, errors } = await openPage(browser, small.html, {
        width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true,
      });
      await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
      await page.click('#restart');
      const g = await geometry(page);
      assert.ok(g.left >= 0 && g.left + g.width <= 390, 'the field fits the phone screen');
      const p = await cellPoint(page, 3, 4);
      await page.touchscreen.tap(p.x, p.y);
      assert.equal(await count(page, 'rect.fill'), 1);
      await page.screenshot({ path: path.join(out, `phone-${scheme}.png`) });
      const big = await openPage(browser, small.html, { width: 1100, height: 900 });
      await big.page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
      await big.page.screenshot({ path: path.join(out, `desktop-${scheme}.png`) });
      await big.page.close();
      assert.deepEqual(errors, []);
      await page.close();
    }
    const { page } = await openPage(browser, small.html, { width: 1100, height: 900 });
    await page.emulateMediaType('print');
    const shown = await page.evaluate(() =>
      ['.bar', '#status', '.help', '.fills'].map((s) => getComputedStyle(document.querySelector(s)).display));
    assert.deepEqual(shown, ['none', 'none', 'none', 'none']);
    const pdf = await page.pdf({ format: 'A4' });
    fs.writeFileSync(path.join(out, 'print-30x26.pdf'), pdf);
    assert.match(Buffer.from(pdf).toString('latin1'), /\/Type \/Pages\b[^>]*\/Count 1\b|\/Count 1\b[^>]*\/Type \/Pages\b/,
      'the task prints on one page');
    await page.close();
  });
  await run('a task with several answers is judged by its clues', async () => {
    // One clue 1 and no fill marks: nine answers, so the page carries none.
    const task = path.join(out, 'several.kvt'), html = path.join(out, 'several.html');
    fs.writeFileSync(task, '[Options]\r\nHeight=3\r\nWidth=3\r\nCellSize=24\r\nWord=\r\n[Field]\r\n' +
      'Str0=; ; ; \r\nStr1=; ;1; \r\nStr2=; ; ; \r\n', 'latin1');
    execFileSync(cli, ['export', task, html], { stdio: 'pipe' });
    assert.match(fs.readFileSync(html, 'utf8'), /"answer":null/);
    const { page, errors } = await openPage(browser, html, { width: 800, height: 700 });
    await page.click('#check');
    assert.equal(await status(page), 'К этой странице ответ не приложен: сверять не с чем.');
    await click(page, 1, 0);
    await click(page, 2, 2);
    assert.match(await clueClass(page, 0), /\bbad\b/);
    assert.equal(await status(page), '');
    await page.click('#undo');
    assert.match(await status(page), /^Решено! Время:/);
    assert.deepEqual(errors, []);
    await page.close();
  });
} finally {
  await browser.close();
}
process.exit(failed ? 1 : 0);
