(function () {
  'use strict';

  var P = JSON.parse(document.getElementById('puzzle').textContent);
  var C = P.cols, R = P.rows, N = C * R;
  var EMPTY = 0, FILLED = 1, WHITE = 2;
  var SVGNS = 'http://www.w3.org/2000/svg';

  // ---- the puzzle ---------------------------------------------------------

  var clue = new Int8Array(N);
  for (var i = 0; i < N; i++) {
    var ch = P.clues.charCodeAt(i);
    clue[i] = ch >= 48 && ch <= 57 ? ch - 48 : -1;
  }
  // Cells some clue's block reaches; a filled cell elsewhere breaks the rule
  // that such cells are white.
  var reached = new Uint8Array(N);
  forEachCell(function (c, r, i) {
    if (clue[i] < 0) return;
    forBlock(c, r, function (j) { reached[j] = 1; });
  });

  function hash(text) {
    var h = 2166136261;
    for (var k = 0; k < text.length; k++) {
      h ^= text.charCodeAt(k) & 0xff;
      h = Math.imul(h, 16777619) >>> 0;
    }
    return h >>> 0;
  }

  // The answer is kept masked; see the exporter for the same steps.
  var answer = null;
  if (typeof P.answer === 'string') {
    var bytes = atob(P.answer);
    var x = hash(C + 'x' + R + ':' + P.clues) || 0x9e3779b9;
    answer = new Uint8Array(N);
    for (var k = 0; k < bytes.length; k++) {
      x ^= x << 13; x >>>= 0;
      x ^= x >>> 17;
      x ^= x << 5; x >>>= 0;
      var b = bytes.charCodeAt(k) ^ (x & 0xff);
      for (var bit = 0; bit < 8; bit++) {
        var at = k * 8 + bit;
        if (at < N) answer[at] = (b >> (7 - bit)) & 1;
      }
    }
  }

  function forEachCell(f) {
    for (var r = 0; r < R; r++) for (var c = 0; c < C; c++) f(c, r, r * C + c);
  }
  function forBlock(c, r, f) {
    for (var rr = Math.max(0, r - 1); rr <= Math.min(R - 1, r + 1); rr++)
      for (var cc = Math.max(0, c - 1); cc <= Math.min(C - 1, c + 1); cc++) f(rr * C + cc, cc, rr);
  }

  // ---- the picture --------------------------------------------------------

  function el(name, attrs, parent) {
    var e = document.createElementNS(SVGNS, name);
    for (var a in attrs) e.setAttribute(a, attrs[a]);
    if (parent) parent.appendChild(e);
    return e;
  }

  var title = P.title || 'Клетомер';
  document.getElementById('title').textContent = title;

  var PAD = 0.3;
  var svg = el('svg', {
    viewBox: -PAD + ' ' + -PAD + ' ' + (C + 2 * PAD) + ' ' + (R + 2 * PAD),
    role: 'application', tabindex: '0', 'aria-label': 'Поле ' + C + ' × ' + R,
    'data-cols': C, 'data-rows': R
  });
  el('rect', { class: 'paper', x: 0, y: 0, width: C, height: R }, svg);
  var gBad = el('g', { class: 'badcells' }, svg);
  var gMarks = el('g', { class: 'marks' }, svg);
  var gFills = el('g', { class: 'fills' }, svg);
  var gDots = el('g', { class: 'dots' }, svg);
  var d = '';
  for (var gc = 0; gc <= C; gc++) d += 'M' + gc + ' 0V' + R;
  for (var gr = 0; gr <= R; gr++) d += 'M0 ' + gr + 'H' + C;
  var gridLines = el('path', { class: 'grid', d: d, 'vector-effect': 'non-scaling-stroke', 'shape-rendering': 'crispEdges' }, svg);
  var frame = el('rect', { class: 'frame', x: 0, y: 0, width: C, height: R, 'vector-effect': 'non-scaling-stroke' }, svg);

  // Digits stand the given share of the cell high; a digit's height is
  // about 0.72 of the font size in common sans-serif faces.
  var share = (P.digits > 0 ? P.digits : 60) / 100;
  var fontSize = share / 0.72;
  var family = (P.font ? '"' + P.font.replace(/["\\]/g, '') + '", ' : '') + 'Arial, "DejaVu Sans", Helvetica, sans-serif';
  var gClues = el('g', { 'font-size': fontSize.toFixed(4), 'font-family': family }, svg);
  var textOf = {}; // cell index -> its <text>
  forEachCell(function (c, r, i) {
    if (clue[i] < 0) return;
    var t = el('text', { class: 'clue', x: c + 0.5, y: (r + 0.5 + fontSize * 0.36).toFixed(4) }, gClues);
    t.textContent = String(clue[i]);
    textOf[i] = t;
  });
  (P.texts || []).forEach(function (item) {
    var i = item[0];
    if (i < 0 || i >= N) return;
    var c = i % C, r = (i - c) / C;
    var size = Math.min(fontSize, 1.6 / Math.max(1, item[1].length));
    var t = el('text', { class: 'letter', x: c + 0.5, y: (r + 0.5 + size * 0.36).toFixed(4), 'font-size': size.toFixed(4) }, gClues);
    t.textContent = item[1];
    textOf[i] = t;
  });
  var cursorBox = el('rect', { class: 'cursor', x: 0, y: 0, width: 1, height: 1, 'vector-effect': 'non-scaling-stroke' }, svg);

  var board = document.getElementById('board');
  board.appendChild(svg);

  // ---- the reader's work --------------------------------------------------

  var state = new Uint8Array(N);
  var fillOf = {}, markOf = {}, dotOf = {};
  var badOf = {};
  var cursor = 0;

  function showCell(i) {
    var c = i % C, r = (i - c) / C, s = state[i];
    if (s === FILLED && !fillOf[i]) fillOf[i] = el('rect', { class: 'fill', x: c, y: r, width: 1, height: 1 }, gFills);
    if (s !== FILLED && fillOf[i]) { fillOf[i].remove(); delete fillOf[i]; }
    // A cell marked white is tinted, and where no digit stands, dotted.
    if (s === WHITE && !markOf[i]) markOf[i] = el('rect', { class: 'mark', x: c, y: r, width: 1, height: 1 }, gMarks);
    if (s !== WHITE && markOf[i]) { markOf[i].remove(); delete markOf[i]; }
    if (s === WHITE && !dotOf[i] && !textOf[i]) dotOf[i] = el('circle', { class: 'dot', cx: c + 0.5, cy: r + 0.5, r: 0.12 }, gDots);
    if (s !== WHITE && dotOf[i]) { dotOf[i].remove(); delete dotOf[i]; }
    if (textOf[i]) textOf[i].classList.toggle('on', s === FILLED);
  }

  // A clue is done when its whole block is decided and holds its number of
  // filled cells, bad when the block can no longer hold that number.
  function showClue(i) {
    if (clue[i] < 0) return;
    var c = i % C, r = (i - c) / C, filled = 0, open = 0;
    forBlock(c, r, function (j) {
      if (state[j] === FILLED) filled++;
      else if (state[j] === EMPTY) open++;
    });
    var t = textOf[i];
    t.classList.toggle('done', open === 0 && filled === clue[i]);
    t.classList.toggle('bad', filled > clue[i] || filled + open < clue[i]);
  }

  function showAround(i) {
    var c = i % C, r = (i - c) / C;
    forBlock(c, r, function (j) { showClue(j); });
  }

  // A filled cell that no clue reaches is an error the reader can see.
  function showUnreached(i) {
    var bad = state[i] === FILLED && !reached[i];
    if (bad && !badOf[i]) {
      var c = i % C, r = (i - c) / C;
      badOf[i] = el('rect', { class: 'badcell', x: c, y: r, width: 1, height: 1 }, gBad);
    } else if (!bad && badOf[i]) { badOf[i].remove(); delete badOf[i]; }
  }

  function setCell(i, s) {
    if (state[i] === s) return false;
    state[i] = s;
    showCell(i);
    showAround(i);
    showUnreached(i);
    return true;
  }

  // ---- undo ---------------------------------------------------------------

  var undoStack = [], redoStack = [];
  var undoButton = document.getElementById('undo'), redoButton = document.getElementById('redo');

  function apply(changes, forward) {
    changes.forEach(function (ch) { setCell(ch[0], forward ? ch[2] : ch[1]); });
  }
  function commit(changes) {
    if (!changes.length) return;
    undoStack.push(changes);
    if (undoStack.length > 500) undoStack.shift();
    redoStack = [];
    afterChange();
  }
  function undo() {
    var changes = undoStack.pop();
    if (!changes) return;
    apply(changes.slice().reverse(), false);
    redoStack.push(changes);
    afterChange();
  }
  function redo() {
    var changes = redoStack.pop();
    if (!changes) return;
    apply(changes, true);
    undoStack.push(changes);
    afterChange();
  }
  function updateButtons() {
    undoButton.disabled = !undoStack.length;
    redoButton.disabled = !redoStack.length;
  }
  undoButton.addEventListener('click', undo);
  redoButton.addEventListener('click', redo);

  // ---- time, verdicts, storage --------------------------------------------

  var storageKey = 'kletomer:' + P.id;
  var elapsed = 0, since = null, solvedAt = null;
  var statusLine = document.getElementById('status');
  var timerLine = document.getElementById('timer');

  function now() { return Date.now(); }
  function running() { return since !== null; }
  function startClock() { if (!running() && solvedAt === null && !document.hidden) since = now(); }
  function stopClock() { if (running()) { elapsed += now() - since; since = null; } }
  function spent() { return elapsed + (running() ? now() - since : 0); }
  function clockText(ms) {
    var s = Math.floor(ms / 1000), h = Math.floor(s / 3600), m = Math.floor(s / 60) % 60;
    s %= 60;
    return (h ? h + ':' + (m < 10 ? '0' : '') : '') + m + ':' + (s < 10 ? '0' : '') + s;
  }
  function showTime() { timerLine.textContent = 'Время ' + clockText(solvedAt !== null ? solvedAt : spent()); }

  function say(text, kind) {
    statusLine.textContent = text;
    statusLine.className = kind || '';
  }

  function plural(n, one, few, many) {
    var t = n % 100, u = n % 10;
    if (t >= 11 && t <= 14) return many;
    return u === 1 ? one : u >= 2 && u <= 4 ? few : many;
  }

  // Solved: the filled cells are the answer's; without an answer, every
  // clue holds its number and no filled cell stands outside all blocks.
  function isSolved() {
    var i;
    if (answer) {
      for (i = 0; i < N; i++) if ((state[i] === FILLED) !== (answer[i] === 1)) return false;
      return true;
    }
    for (i = 0; i < N; i++) if (state[i] === FILLED && !reached[i]) return false;
    for (i = 0; i < N; i++) {
      if (clue[i] < 0) continue;
      var c = i % C, r = (i - c) / C, filled = 0;
      forBlock(c, r, function (j) { if (state[j] === FILLED) filled++; });
      if (filled !== clue[i]) return false;
    }
    return true;
  }

  function save() {
    try {
      var s = '';
      for (var i = 0; i < N; i++) s += state[i];
      localStorage.setItem(storageKey, JSON.stringify({ cells: s, time: spent(), solved: solvedAt }));
    } catch (e) { /* storage off or full: the page still works */ }
  }

  function afterChange() {
    updateButtons();
    if (isSolved()) {
      if (solvedAt === null) { stopClock(); solvedAt = elapsed; }
      say('Решено! Время: ' + clockText(solvedAt), 'solved');
    } else {
      if (solvedAt !== null) { elapsed = solvedAt; solvedAt = null; startClock(); }
      if (statusLine.className === 'solved' || statusLine.className === 'wrong' || statusLine.className === 'ok') say('');
    }
    showTime();
    save();
  }

  document.getElementById('check').addEventListener('click', function () {
    if (isSolved()) { say('Решено! Время: ' + clockText(solvedAt !== null ? solvedAt : spent()), 'solved'); return; }
    if (!answer) { say('К этой странице ответ не приложен: сверять не с чем.', ''); return; }
    var wrong = 0;
    for (var i = 0; i < N; i++) {
      if ((state[i] === FILLED && !answer[i]) || (state[i] === WHITE && answer[i])) wrong++;
    }
    if (wrong) say('Есть ошибки: ' + wrong + ' ' + plural(wrong, 'клетка не сходится', 'клетки не сходятся', 'клеток не сходятся') + ' с ответом.', 'wrong');
    else say('Ошибок нет, продолжайте.', 'ok');
  });

  document.getElementById('restart').addEventListener('click', function () {
    var changes = [];
    for (var i = 0; i < N; i++) if (state[i] !== EMPTY) { changes.push([i, state[i], EMPTY]); setCell(i, EMPTY); }
    commit(changes);
  });

  function restore() {
    var saved = null;
    try { saved = JSON.parse(localStorage.getItem(storageKey) || 'null'); } catch (e) { saved = null; }
    if (!saved || typeof saved.cells !== 'string' || saved.cells.length !== N) return;
    for (var i = 0; i < N; i++) {
      var s = saved.cells.charCodeAt(i) - 48;
      if (s === FILLED || s === WHITE) setCell(i, s);
    }
    elapsed = Math.max(0, Number(saved.time) || 0);
    if (typeof saved.solved === 'number' && isSolved()) solvedAt = saved.solved;
  }

  // ---- pointer ------------------------------------------------------------

  function cellAt(e) {
    var m = svg.getScreenCTM();
    if (!m) return -1;
    var p = svg.createSVGPoint();
    p.x = e.clientX; p.y = e.clientY;
    p = p.matrixTransform(m.inverse());
    var c = Math.floor(p.x), r = Math.floor(p.y);
    return c >= 0 && c < C && r >= 0 && r < R ? r * C + c : -1;
  }

  var stroke = null;

  function paint(i) {
    var before = state[i];
    if (before === stroke.target) return;
    stroke.changes.push([i, before, stroke.target]);
    setCell(i, stroke.target);
  }

  // Every cell on the straight line between two cells, so a quick stroke
  // leaves no gaps.
  function paintLine(from, to) {
    var c0 = from % C, r0 = (from - c0) / C, c1 = to % C, r1 = (to - c1) / C;
    var steps = Math.max(Math.abs(c1 - c0), Math.abs(r1 - r0));
    for (var s = 1; s <= steps; s++) {
      var c = Math.round(c0 + (c1 - c0) * s / steps), r = Math.round(r0 + (r1 - r0) * s / steps);
      paint(r * C + c);
    }
  }

  svg.addEventListener('pointerdown', function (e) {
    if (stroke) {
      // A second finger: the reader pinches or scrolls, so the stroke is taken back.
      apply(stroke.changes.slice().reverse(), false);
      stroke = null;
      return;
    }
    if (e.button !== 0 && e.button !== 2) return;
    var i = cellAt(e);
    if (i < 0) return;
    e.preventDefault();
    svg.focus({ preventScroll: true });
    startClock();
    moveCursor(i, false);
    var target = e.button === 2 ? (state[i] === WHITE ? EMPTY : WHITE) : (state[i] + 1) % 3;
    stroke = { target: target, changes: [], last: i, pointer: e.pointerId };
    try { svg.setPointerCapture(e.pointerId); } catch (err) { /* released already */ }
    paint(i);
  });
  svg.addEventListener('pointermove', function (e) {
    if (!stroke || e.pointerId !== stroke.pointer) return;
    var events = e.getCoalescedEvents ? e.getCoalescedEvents() : [e];
    if (!events.length) events = [e];
    events.forEach(function (ev) {
      var i = cellAt(ev);
      if (i < 0 || i === stroke.last) return;
      paintLine(stroke.last, i);
      stroke.last = i;
    });
  });
  function endStroke(e) {
    if (!stroke || e.pointerId !== stroke.pointer) return;
    var changes = stroke.changes;
    stroke = null;
    if (e.type === 'pointercancel') { apply(changes.slice().reverse(), false); return; }
    commit(changes);
  }
  svg.addEventListener('pointerup', endStroke);
  svg.addEventListener('pointercancel', endStroke);
  svg.addEventListener('contextmenu', function (e) { e.preventDefault(); });

  // ---- keyboard -----------------------------------------------------------

  function moveCursor(i, show) {
    cursor = i;
    var c = i % C, r = (i - c) / C;
    cursorBox.setAttribute('x', c);
    cursorBox.setAttribute('y', r);
    if (show) cursorBox.classList.add('shown');
  }

  function keySet(s) {
    startClock();
    var before = state[cursor];
    if (setCell(cursor, s)) commit([[cursor, before, s]]);
  }

  document.addEventListener('keydown', function (e) {
    if (e.altKey) return;
    var ctrl = e.ctrlKey || e.metaKey;
    if (ctrl && (e.code === 'KeyZ' || e.key === 'z' || e.key === 'Z')) { e.preventDefault(); if (e.shiftKey) redo(); else undo(); return; }
    if (ctrl && (e.code === 'KeyY' || e.key === 'y' || e.key === 'Y')) { e.preventDefault(); redo(); return; }
    if (ctrl) return;
    // Buttons keep their own Space and Enter.
    var onButton = e.target && e.target.tagName === 'BUTTON';
    var c = cursor % C, r = (cursor - c) / C;
    switch (e.key) {
      case 'ArrowLeft': c = Math.max(0, c - 1); break;
      case 'ArrowRight': c = Math.min(C - 1, c + 1); break;
      case 'ArrowUp': r = Math.max(0, r - 1); break;
      case 'ArrowDown': r = Math.min(R - 1, r + 1); break;
      case ' ': case 'Enter': case 'Spacebar':
        if (onButton) return;
        e.preventDefault();
        moveCursor(cursor, true);
        keySet(state[cursor] === FILLED ? EMPTY : FILLED);
        return;
      case 'Backspace': case 'Delete':
        e.preventDefault();
        moveCursor(cursor, true);
        keySet(EMPTY);
        return;
      default:
        if (e.code === 'KeyX' || e.key === 'x' || e.key === 'X' || e.key === 'ч' || e.key === 'Ч') {
          e.preventDefault();
          moveCursor(cursor, true);
          keySet(state[cursor] === WHITE ? EMPTY : WHITE);
        }
        return;
    }
    e.preventDefault();
    moveCursor(r * C + c, true);
  });

  // ---- size ---------------------------------------------------------------

  var zoom = 1;
  function layout() {
    var width = board.clientWidth;
    var top = board.getBoundingClientRect().top + window.scrollY;
    var height = Math.max(window.innerHeight - top - 12, 240);
    var cell = Math.min(width / (C + 2 * PAD), height / (R + 2 * PAD)) * zoom;
    cell = Math.max(cell, 2);
    svg.style.width = Math.floor(cell * (C + 2 * PAD)) + 'px';
    svg.style.height = Math.floor(cell * (R + 2 * PAD)) + 'px';
    // Lines one device pixel wide on dense screens too, the frame a little more.
    var dpr = window.devicePixelRatio || 1;
    gridLines.style.strokeWidth = dpr >= 1.5 ? 1 / dpr : 1;
    frame.style.strokeWidth = dpr >= 1.5 ? 2.5 / dpr : 2;
  }
  function zoomBy(f) {
    zoom = Math.min(8, Math.max(0.25, zoom * f));
    layout();
  }
  document.getElementById('zoomIn').addEventListener('click', function () { zoomBy(1.25); });
  document.getElementById('zoomOut').addEventListener('click', function () { zoomBy(0.8); });
  window.addEventListener('resize', layout);

  document.addEventListener('visibilitychange', function () {
    if (document.hidden) { stopClock(); save(); } else if (undoStack.length || elapsed) startClock();
  });
  window.addEventListener('pagehide', save);

  restore();
  undoStack = [];
  updateButtons();
  layout();
  if (solvedAt !== null) say('Решено! Время: ' + clockText(solvedAt), 'solved');
  else if (elapsed > 0) startClock();
  showTime();
  setInterval(function () { if (running()) showTime(); }, 1000);
})();
