// The playground page: pointer events on the view become the replay's actions (hover, press,
// move, release, and the pick cast along the pointer's ray after a drop), played live through
// the library; the view, the selected markup's record, the session and the log follow each one.
// Everything else the user does (turning, panning and zooming a view's camera, the selection, a
// move of the whole selection, edits of the record, the viewer's behaviour) is sent as the
// scenario action it is (pg_action), so that it is kept for Save scenario like a pointer event.
// A second view is switched on or off by loading the session again with it (or without it).
// The session also travels as a link: its scenario in the address's fragment (link.js). A
// scenario's own actions are played in slices, so that a long one leaves the page responsive.
'use strict';

(function () {
  // The page's own elements, taken once before any frame is in the page: the frame's elements
  // carry a scenario's markup ids, which must not stand in for the page's.
  const pageElements = new Map(
    Array.from(document.querySelectorAll('[id]'), (element) => [element.id, element]),
  );
  const $ = (id) => pageElements.get(id);
  // Prefixed to the frame's ids, so that ids in the document stay unique for labels and styles.
  const kFrameIdPrefix = 'frame-';
  const kLogLines = 600; // the log pane keeps this many lines
  // Main-thread time one slice of a played script takes before the page draws and reads input.
  const kSliceMs = 12;
  const kLargeText = 256 * 1024; // a scenario text that takes the module a moment to read
  const kOrbitDegreesPerPixel = 0.4;
  const kZoomPerWheelPixel = Math.pow(1.2, 1 / 100); // a wheel notch (100 px) zooms 1.2 times
  const kClickSlop = 3; // pixels a Shift-press may move and still be a click
  let pg = null;
  let state = null;
  let scriptIndex = 0;
  let dragging = false;
  let dragPointer = null; // the pointer that holds the open drag
  let playing = null; // the script being played: {stopped}
  let pendingLog = []; // lines of the log not shown yet: [text, failed]
  let lastHover = null;
  let dragView = 0; // the view where the open drag began
  let gesture = null; // a camera gesture under way: {kind: orbit|pan, pointerId, view, ...}
  let queued = null; // the latest pointer position not played yet: {kind, x, y, view}
  let pendingCamera = null; // camera steps not sent yet, summed: {view, kind, a, b}
  let views = []; // where each view lies in the frame: {x, width, height}
  let sceneKey = null; // the cameras the scene layer was drawn with
  let loadedText = ''; // the scenario text of the session, for the rest of its script
  let switching = Promise.resolve(); // the latest switch of the second view
  let frameRequested = false;
  let linking = Promise.resolve(); // the latest link being opened
  let linkCount = 0;

  function number(v) {
    if (v === null || v === undefined) return 'not finite';
    if (typeof v !== 'number') return String(v);
    const s = Number(v.toPrecision(6)).toString();
    return s === '-0' ? '0' : s;
  }
  const point = (p) => '(' + p.map(number).join(', ') + ')';
  // The state names only the newest few of a long list, and counts them all.
  function names(newest, count) {
    if (count === 0) return 'none';
    const shown = newest.map((n) => '"' + n + '"').join(', ');
    return count > newest.length ? count.toLocaleString('en') + ', the newest: …, ' + shown : shown;
  }

  function rows(table, entries) {
    table.textContent = '';
    for (const [key, value] of entries) {
      const tr = table.insertRow();
      tr.insertCell().textContent = key;
      tr.insertCell().textContent = value;
    }
  }

  // The log is shown in batches: adding lines and scrolling makes the browser lay the page out
  // again, which costs far more than playing an action.
  function queueLog(log) {
    const lines = [log.headline].concat(log.details.map((d) => '    ' + d));
    for (const line of lines) {
      pendingLog.push([line, line.indexOf('FAILED') >= 0 || log.checksFailed > 0]);
    }
    // Only the last lines can ever be shown.
    if (pendingLog.length > 2 * kLogLines) pendingLog = pendingLog.slice(-kLogLines);
  }
  function showLog() {
    if (pendingLog.length === 0) return;
    const pane = $('log');
    const lines = document.createDocumentFragment();
    for (const [text, failed] of pendingLog.slice(-kLogLines)) {
      const div = document.createElement('div');
      div.textContent = text;
      if (failed) div.className = 'failed';
      lines.appendChild(div);
    }
    pendingLog = [];
    pane.appendChild(lines);
    for (let extra = pane.childNodes.length - kLogLines; extra > 0; extra--) {
      pane.removeChild(pane.firstChild);
    }
    pane.scrollTop = pane.scrollHeight;
  }
  function appendLog(log) {
    queueLog(log);
    showLog();
  }

  // The record's fields that the viewer's edit writes, by the edit's field names: the cell shows
  // the value and can be edited; a changed text is sent as an edit action when committed.
  const kEditable = {
    start: (l) => point(l.start),
    end: (l) => point(l.end),
    startExtension: (l) => number(l.startExtension),
    endExtension: (l) => number(l.endExtension),
    ratio: (l) => number(l.ratio),
  };
  // A typed number as a number; anything else goes as text, and the parser says what is wrong.
  const typed = (t) => (t !== '' && Number.isFinite(Number(t)) ? Number(t) : t);
  function editedValue(field, text) {
    if (field !== 'start' && field !== 'end') return typed(text.trim());
    return text.replace(/[()]/g, ' ').split(/[\s,]+/).filter((t) => t !== '').map(typed);
  }
  function editCell(td, id, field, shown) {
    td.textContent = shown;
    td.contentEditable = 'plaintext-only';
    td.spellcheck = false;
    td.className = 'editable';
    td.dataset.field = field;
    td.title = 'Edit, then Enter';
    td.addEventListener('keydown', (ev) => {
      if (ev.key === 'Enter' || ev.key === 'Escape') {
        if (ev.key === 'Escape') td.textContent = shown;
        ev.preventDefault();
        td.blur();
      }
    });
    td.addEventListener('blur', () => {
      if (td.textContent !== shown) {
        sendAction({ action: 'edit', markup: id, [field]: editedValue(field, td.textContent) });
      }
      render();
    });
  }
  function pathCell(td, id, mode) {
    const select = document.createElement('select');
    for (const m of ['straight', 'alongAxis']) select.add(new Option(m, m, false, m === mode));
    select.addEventListener('change', () => {
      select.blur(); // the record shows the result, which it does not while being edited
      sendAction({ action: 'edit', markup: id, path: select.value });
    });
    td.appendChild(select);
  }
  function lineRows(line) {
    const table = $('record');
    table.textContent = '';
    const add = (key, fill) => {
      const tr = table.insertRow();
      tr.insertCell().textContent = key;
      fill(tr.insertCell());
    };
    const labels = { start: 'start', end: 'end', startExtension: 'start extension',
      endExtension: 'end extension', ratio: 'ratio' };
    for (const [field, show] of Object.entries(kEditable)) {
      add(labels[field], (td) => editCell(td, line.id, field, show(line)));
    }
    add('mode', (td) => pathCell(td, line.id, line.mode));
    for (const [key, value] of [
      ['attached', String(line.attached)],
      ['part ID', '"' + line.partID + '"'],
      ['start item', line.startPointItem],
      ['end item', line.endPointItem],
      ['points', line.points.map(point).join(' ')],
    ]) add(key, (td) => (td.textContent = value));
  }

  // The selected markup: the one last hovered or grabbed, else the first centre line. While one
  // of its fields is being edited, the record stays as it is.
  function showRecord() {
    const line = state.centerLines.find((l) => l.id === state.touched) || state.centerLines[0];
    const callout = state.callouts.find((c) => c.id === state.touched);
    if ($('record').contains(document.activeElement)) {
      // being edited
    } else if (callout) {
      $('recordTitle').textContent = 'Callout ' + callout.id;
      rows($('record'), [['position', point(callout.position)]]);
    } else if (line) {
      $('recordTitle').textContent = 'Centre line ' + line.id;
      lineRows(line);
    } else {
      $('recordTitle').textContent = 'Record';
      rows($('record'), [['', 'no markup in this scenario']]);
    }
    rows($('session'), [
      ['selection', state.selection.length ? state.selection.join(', ') : 'none'],
      ['operations', names(state.operations, state.operationCount)],
      ['undo stack', names(state.undo, state.undoCount)],
      ['redo stack', names(state.redo, state.redoCount)],
      ['pending picks', state.pendingPicks.length ? state.pendingPicks.join('; ') : 'none'],
      ['actions', state.actionsPlayed + ' played, ' + state.actionsKept + ' kept for saving'],
    ]);
  }

  // The viewer's controls show its behaviour as it is (a scenario's viewer action changes it).
  function showViewer() {
    const v = state.viewer;
    for (const [id, value] of [['controller', v.controller], ['picks', v.picks]]) {
      if (document.activeElement !== $(id)) $(id).value = value;
    }
    if (document.activeElement !== $('grid')) $('grid').value = String(v.grid);
    $('rebuild').checked = v.rebuild;
    $('secondView').checked = state.views.length > 1;
    for (const id of ['controller', 'grid', 'rebuild', 'picks', 'secondView']) {
      $(id).disabled = playing !== null || (id === 'grid' && v.controller !== 'snap');
    }
  }

  // Where each view lies in the frame, as the frame draws them: two views are each an SVG of
  // class "view" placed in it, one view is the whole frame.
  function viewPlaces() {
    const svg = $('frameLayer').querySelector('svg');
    const placed = svg ? svg.querySelectorAll(':scope > svg.view') : [];
    if (placed.length === 0) {
      const [width, height] = state.views[0].viewport;
      return [{ x: 0, width, height }];
    }
    return Array.from(placed, (v) => ({
      x: v.x.baseVal.value,
      width: v.width.baseVal.value,
      height: v.height.baseVal.value,
    }));
  }

  function render() {
    $('frameLayer').innerHTML = pg.frame();
    for (const element of $('frameLayer').querySelectorAll('[id]')) {
      element.id = kFrameIdPrefix + element.id;
    }
    state = pg.state();
    // What no action but a camera move changes is drawn again only then.
    const cameras = JSON.stringify(state.views.map((v) => v.camera));
    if (cameras !== sceneKey) {
      $('sceneLayer').innerHTML = pg.scene();
      sceneKey = cameras;
    }
    views = viewPlaces();
    showRecord();
    showViewer();
    $('undo').disabled = playing !== null || state.undoCount === 0;
    $('undo').title = (state.undoCount ? 'Undo "' + state.undo[state.undo.length - 1] + '" ' : '') +
      '(Ctrl+Z)';
    $('redo').disabled = playing !== null || state.redoCount === 0;
    // The script waits while the user drags: its actions would land in the user's drag (a
    // scripted press releases it), as the user's would in a playing script.
    $('step').disabled = $('playAll').disabled =
      playing !== null || dragging || scriptIndex >= state.scriptLength;
    $('colour').disabled = playing !== null;
    $('status').textContent = playing === null && state.busy ? 'drag open' : '';
  }

  function play(log) {
    appendLog(log);
    render();
  }

  // Plays an action given as a scenario's action; one the module refuses is not played, and its
  // message shows under the record.
  function sendAction(action) {
    const log = pg.action(action);
    $('actionError').textContent = log.error ? 'Not played: ' + log.error : '';
    if (log.error) return false;
    play(log);
    return true;
  }
  // The first view is the default: its actions name no view.
  const inView = (action, view) => (view > 0 ? { ...action, view } : action);

  // Pixel of the frame under a pointer event: the SVG may be shown scaled.
  function pixel(ev) {
    const svg = $('frameLayer').querySelector('svg');
    const r = svg.getBoundingClientRect();
    const box = svg.viewBox.baseVal;
    return {
      x: Math.floor(((ev.clientX - r.left) * box.width) / r.width),
      y: Math.floor(((ev.clientY - r.top) * box.height) / r.height),
    };
  }
  // The view under a frame pixel and the pixel in its window; null between or below the views.
  function locate(p) {
    for (let view = 0; view < views.length; view++) {
      const v = views[view];
      const x = p.x - v.x;
      if (x >= 0 && x < v.width && p.y >= 0 && p.y < v.height) return { view, x, y: p.y };
    }
    return null;
  }
  // A frame pixel in a given view's window, however far outside it (the module holds it inside).
  const inViewOf = (p, view) => ({ view, x: p.x - views[view].x, y: p.y });

  // Pointer moves and camera steps are played once per animation frame: the latest position,
  // the steps summed.
  function flush() {
    if (queued) {
      const q = queued;
      queued = null;
      play(q.kind === 'move' ? pg.move(q.x, q.y, q.view) : pg.hover(q.x, q.y, q.view));
    }
    if (pendingCamera) {
      const { view, kind, a, b } = pendingCamera;
      pendingCamera = null;
      // Short numbers in the saved scenario, within the ranges a camera action takes.
      const round = (v, lo, hi) => Math.min(hi, Math.max(lo, Math.round(v * 1e4) / 1e4));
      const move =
        kind === 'orbit' ? { orbit: [round(a, -360, 360), round(b, -360, 360)] }
        : kind === 'pan' ? { pan: [a, b] }
        : { zoom: round(a, 0.01, 100) };
      sendAction(inView({ action: 'camera', ...move }, view));
    }
  }
  function requestFlush() {
    if (!frameRequested) {
      frameRequested = true;
      requestAnimationFrame(() => {
        frameRequested = false;
        flush();
      });
    }
  }
  function queue(kind, at) {
    queued = { kind, x: at.x, y: at.y, view: at.view };
    requestFlush();
  }
  // Adds a camera step of a view (orbit and pan add up, zoom factors multiply).
  function queueCamera(view, kind, a, b) {
    if (pendingCamera && (pendingCamera.view !== view || pendingCamera.kind !== kind)) flush();
    if (!pendingCamera) pendingCamera = { view, kind, a: kind === 'zoom' ? 1 : 0, b: 0 };
    if (kind === 'zoom') pendingCamera.a *= a;
    else {
      pendingCamera.a += a;
      pendingCamera.b += b;
    }
    requestFlush();
  }

  // While a script plays, the view takes no input: the user's actions would land between the
  // script's. Likewise no scripted action plays during the user's drag.
  //
  // The left button drags the handle under the pointer, or, on a markup's line, moves the whole
  // selection (the framework's move). The right button or Alt with the left turns the camera of
  // the view under the pointer, Shift with the left pans it; a Shift-press that does not move is
  // a click, which adds the markup under it to the selection (or takes it out).
  function onPointerDown(ev) {
    if (playing || dragging || gesture) return;
    const orbit = ev.button === 2 || (ev.button === 0 && ev.altKey);
    if (ev.button !== 0 && !orbit) return;
    const at = locate(pixel(ev));
    if (!at) return;
    flush();
    $('view').setPointerCapture(ev.pointerId);
    lastHover = null;
    ev.preventDefault();
    if (orbit || ev.shiftKey) {
      gesture = { kind: orbit ? 'orbit' : 'pan', pointerId: ev.pointerId, view: at.view,
        start: at, last: at, moved: false, hit: orbit ? null : pg.hit(at.x, at.y, at.view) };
      return;
    }
    dragging = true;
    dragPointer = ev.pointerId;
    dragView = at.view;
    const hit = pg.hit(at.x, at.y, at.view);
    if (hit && hit.kind === 'line') {
      sendAction(inView({ action: 'press', x: at.x, y: at.y, grab: 'markup' }, at.view));
    } else {
      play(pg.press(at.x, at.y, at.view));
    }
  }

  // A camera gesture's step: the pointer's move since the last one, in pixels.
  function navigate(p) {
    const g = gesture;
    const at = inViewOf(p, g.view);
    if (!g.moved && Math.hypot(at.x - g.start.x, at.y - g.start.y) < kClickSlop) return;
    g.moved = true;
    const dx = at.x - g.last.x;
    const dy = at.y - g.last.y;
    g.last = at;
    if (dx === 0 && dy === 0) return;
    // Turning follows the pointer: dragging right turns the scene to the right (the eye goes
    // left about the target), dragging down shows it from higher up.
    if (g.kind === 'orbit' && state.views[g.view].kind === 'shape') {
      queueCamera(g.view, 'orbit', -dx * kOrbitDegreesPerPixel, dy * kOrbitDegreesPerPixel);
    } else if (g.kind === 'pan') {
      queueCamera(g.view, 'pan', dx, dy);
    }
  }

  function onPointerMove(ev) {
    const p = pixel(ev);
    if (gesture) {
      if (ev.pointerId === gesture.pointerId) navigate(p);
      return;
    }
    if (dragging) {
      if (ev.pointerId === dragPointer) queue('move', inViewOf(p, dragView));
      return;
    }
    if (playing) return;
    const at = locate(p);
    if (!at) return;
    if (lastHover && lastHover.view === at.view && lastHover.x === at.x && lastHover.y === at.y) {
      return;
    }
    lastHover = at;
    queue('hover', at);
  }

  // The wheel zooms the shape view under the pointer.
  function onWheel(ev) {
    if (playing || dragging || gesture) return;
    const at = locate(pixel(ev));
    if (!at || state.views[at.view].kind !== 'shape') return;
    ev.preventDefault();
    const pixels = ev.deltaY * (ev.deltaMode === 1 ? 16 : ev.deltaMode === 2 ? 400 : 1);
    queueCamera(at.view, 'zoom', Math.pow(kZoomPerWheelPixel, -pixels), 0);
  }

  function endGesture(ev) {
    flush();
    const g = gesture;
    gesture = null;
    if (ev.type === 'pointerup' && g.kind === 'pan' && !g.moved && g.hit) {
      const id = g.hit.markup;
      const selected = state.selection.includes(id);
      sendAction({ action: 'select',
        markups: selected ? state.selection.filter((s) => s !== id) : state.selection.concat([id]) });
    }
  }

  // The drag ends when its pointer has no button down any more (pointerup), whichever button that
  // was last, or when the browser takes the pointer away (pointercancel: a touch screen does so
  // when it takes over a gesture, with button -1).
  //
  // A cancel ends the drag as a release where the pointer last was, as the viewer would see it.
  // The viewer's framework ends a drag one way only, by a release (the shadow's Stop): there is
  // no cancel to pass on, and making one up (back to where the drag began, then a release) is no
  // undo of it: a dropped point casts its pick there and may land on a part. So what the view
  // showed when the pointer went is what stays, and Undo takes it back; the saved scenario holds
  // an ordinary release, which the replay plays the same.
  function onPointerUp(ev) {
    if (gesture && ev.pointerId === gesture.pointerId) {
      endGesture(ev);
      return;
    }
    if (!dragging || ev.pointerId !== dragPointer) return;
    flush();
    dragging = false;
    dragPointer = null;
    play(pg.release());
    // A dropped point asks the view for a pick: cast it along the pointer's ray, as the replay's
    // pick action does.
    if (state.pendingPicks.length > 0) play(pg.pick());
  }

  function history(undo) {
    if (dragging || gesture || playing) return;
    flush();
    play(undo ? pg.undo() : pg.redo());
  }

  function startSession(heading) {
    stopPlaying();
    $('log').textContent = '';
    pendingLog = [];
    scriptIndex = 0;
    dragging = false;
    dragPointer = null;
    gesture = null;
    lastHover = null;
    queued = null;
    pendingCamera = null;
    $('actionError').textContent = '';
    // What no action changes is drawn once per session and camera; each action draws only the
    // frame over it.
    sceneKey = null;
    render();
    appendLog({ headline: heading, details: pg.describe(), checksFailed: 0 });
  }

  // Loads a scenario text; a bad one leaves the session as it is and shows the parser's message.
  function load(text, heading) {
    const error = pg.load(text);
    $('error').textContent = error ? 'Not loaded: ' + error : '';
    if (!error) {
      loadedText = text;
      startSession(heading);
    }
    return error;
  }

  const tick = new MessageChannel();
  // Lets the browser draw and handle input, then goes on: a message is not held back as a timer
  // that is set again and again is, nor stopped in a hidden tab as an animation frame is.
  const nextTask = () =>
    new Promise((resolve) => {
      tick.port1.onmessage = () => resolve();
      tick.port2.postMessage(null);
    });

  // Shows the status, and resolves once the browser drew it (or after a moment in a hidden tab,
  // which draws nothing).
  function painted(status) {
    $('status').textContent = status;
    return new Promise((resolve) => {
      const timer = setTimeout(resolve, 200);
      requestAnimationFrame(() =>
        setTimeout(() => {
          clearTimeout(timer);
          resolve();
        }, 0),
      );
    });
  }

  function showProgress() {
    const total = state.scriptLength;
    $('progressBar').max = total;
    $('progressBar').value = scriptIndex;
    $('progressText').textContent =
      'playing its actions: ' + scriptIndex.toLocaleString('en') + ' of ' +
      total.toLocaleString('en');
  }

  // Plays the scenario's own actions from the next one on, in slices of kSliceMs: after each the
  // log, the view and the progress are shown once, and the page answers input (Stop, or
  // loading another session, ends the play between two slices). Resolves when the play ends.
  async function playAll(end = Infinity) {
    if (playing || dragging || gesture) return;
    const run = { stopped: false };
    playing = run;
    $('progress').hidden = false;
    render();
    showProgress();
    const last = Math.min(end, state.scriptLength);
    while (!run.stopped && scriptIndex < last) {
      const until = performance.now() + kSliceMs;
      do {
        queueLog(pg.playScript(scriptIndex++));
      } while (scriptIndex < last && performance.now() < until);
      showLog();
      render();
      showProgress();
      await nextTask();
    }
    if (playing !== run) return; // another session was loaded meanwhile
    playing = null;
    $('progress').hidden = true;
    if (run.stopped && scriptIndex < state.scriptLength) {
      appendLog({
        headline: 'stopped before action ' + (scriptIndex + 1) + ' of ' + state.scriptLength +
          ': Step or Play all goes on from there',
        details: [],
        checksFailed: 0,
      });
    }
    render();
  }
  function stopPlaying() {
    if (!playing) return;
    playing.stopped = true;
    playing = null;
    $('progress').hidden = true;
  }

  // Chromium opens no address longer than this many characters.
  const kAddressMaxLength = 2 * 1024 * 1024;

  // The address of this session: the scenario as Save scenario writes it, in the fragment. It
  // goes to the clipboard and into the field under the buttons, where it can be copied from by
  // hand when there is no clipboard (some browsers give none to a page opened from disk).
  async function copyLink() {
    flush();
    const field = $('link');
    $('linkBar').hidden = false;
    let fragment;
    try {
      fragment = await encodeSessionLink(pg.exportScenario());
    } catch (e) {
      // A session too long for a link, or a browser without CompressionStream.
      field.value = '';
      $('linkNote').textContent = 'no link: ' + e.message;
      return null;
    }
    const address = location.href.split('#')[0] + '#' + fragment;
    if (address.length > kAddressMaxLength) {
      field.value = '';
      $('linkNote').textContent = 'no link: it would be ' + address.length.toLocaleString('en') +
        ' characters long, more than a browser opens: Save scenario writes it to a file';
      return null;
    }
    field.value = address;
    let copied = false;
    try {
      if (navigator.clipboard) {
        await navigator.clipboard.writeText(address);
        copied = true;
      }
    } catch (e) {
      // No permission, or the page has no focus: the field holds the link.
    }
    $('linkNote').textContent = copied
      ? 'copied (' + address.length + ' characters)'
      : 'copy it from the field';
    if (!copied) field.select();
    return address;
  }

  // Loads the session a link carries, as choosing a session does, and plays all its actions. A
  // damaged link or a refused scenario shows its message, and the default session is loaded. A
  // link opened while another is still being read wins over it.
  async function openLink(fragment) {
    const count = ++linkCount;
    let text = null;
    let error = null;
    try {
      text = await decodeSessionLink(fragment);
    } catch (e) {
      error = e.message;
    }
    if (count !== linkCount) return;
    if (text !== null && text.length > kLargeText) {
      // Reading a long session takes a moment in which the page cannot draw: it says so first.
      await painted('reading the session from the link (' +
        (text.length / (1024 * 1024)).toFixed(1) + ' MB)…');
      if (count !== linkCount) return;
    }
    if (text !== null) error = load(text, 'loaded the session from the link');
    if (error === null) {
      showOrigin('session from a link');
      await playAll();
      return;
    }
    load(pg.defaultText(), 'loaded default session');
    $('chooser').value = chosen = '0';
    $('error').textContent = 'Link not loaded: ' + error;
  }
  // The chooser names where a session that none of its entries holds came from: an entry of its
  // own, which cannot be chosen again (there is nothing to load from it).
  let originOption = null;
  let chosen = '0'; // the entry that names the session playing
  function showOrigin(name) {
    if (!originOption) {
      originOption = new Option('', 'origin');
      originOption.disabled = true;
      $('chooser').add(originOption);
    }
    originOption.textContent = name;
    $('chooser').value = chosen = 'origin';
  }
  function openAddress() {
    if (location.hash.length > 1) linking = openLink(location.hash);
    return linking;
  }

  // Kinds of actions that concern only the view they name: without that view they are dropped.
  const kViewOnly = ['hover', 'camera', 'expect'];

  // The session again with a second view beside the first, or without it: the scenario Save
  // scenario writes, with the views changed, is loaded and its actions played, then the rest of
  // the scenario's own script stays to be stepped. The new second view is the first one's camera
  // as it is now, turned a quarter about its up direction (a camera action of its own, kept like
  // the others). Without the second view, actions there of other kinds (a drag) cannot be played:
  // the session then starts from the markups as they stand, without its history.
  async function setSecondView(on) {
    if (playing || dragging || gesture || on === (state.views.length > 1)) {
      showViewer(); // the box shows what is
      return;
    }
    flush();
    const scenario = JSON.parse(pg.exportScenario());
    const played = scenario.actions;
    let rest = [];
    if (scriptIndex < state.scriptLength) rest = JSON.parse(loadedText).actions.slice(scriptIndex);
    const first = scenario.view || scenario.views[0];
    delete scenario.view;
    let heading;
    if (on) {
      const now = state.views[0];
      scenario.views = [first, { kind: now.kind, viewport: now.viewport, camera: now.camera }];
      if (now.kind === 'shape') played.push({ action: 'camera', view: 1, orbit: [90, 0] });
      heading = 'the session again, with a second view';
    } else {
      scenario.views = [first];
      const elsewhere = (a) => a.view === 1;
      if (played.some((a) => elsewhere(a) && !kViewOnly.includes(a.action))) {
        standingMarkups(scenario, played);
        scenario.actions = played.filter((a) => !elsewhere(a) &&
          ['preferences', 'viewer', 'select', 'camera'].includes(a.action));
        for (const a of scenario.actions) {
          if (a.action === 'select') a.markups = a.markups.filter((id) => standing(id));
        }
        heading = 'the session again, without the second view, from the markups as they stand ' +
          '(the second view had drags of its own, which the first cannot play)';
      } else {
        scenario.actions = played.filter((a) => !elsewhere(a));
        heading = 'the session again, without the second view';
      }
    }
    const count = scenario.actions.length;
    scenario.actions = scenario.actions.concat(rest);
    if (load(JSON.stringify(scenario), heading) !== null) {
      showViewer();
      return;
    }
    await playAll(count);
  }

  // Whether a markup of that id stands in the scene now.
  function standing(id) {
    return state.centerLines.some((l) => l.id === id) || state.callouts.some((c) => c.id === id);
  }

  // The scenario's markups and callouts as they stand now, as written by the viewer: those the
  // played actions removed are gone, those they added are declared.
  function standingMarkups(scenario, played) {
    scenario.markups = scenario.markups || [];
    scenario.scene = scenario.scene || {};
    scenario.scene.callouts = scenario.scene.callouts || [];
    for (const a of played) {
      if (a.action !== 'add') continue;
      if (a.markup) scenario.markups.push(a.markup);
      if (a.callout) scenario.scene.callouts.push(a.callout);
    }
    scenario.markups = scenario.markups.filter((m) => standing(m.id));
    scenario.scene.callouts = scenario.scene.callouts.filter((c) => standing(c.id));
    if (scenario.scene.callouts.length === 0) delete scenario.scene.callouts;
    for (const m of scenario.markups) {
      const line = state.centerLines.find((l) => l.id === m.id);
      Object.assign(m, { start: line.start, end: line.end, path: line.mode,
        startExtension: line.startExtension, endExtension: line.endExtension, ratio: line.ratio });
      if (line.partID) m.partID = line.partID;
      else delete m.partID;
      if (line.attached) m.attached = true;
      else delete m.attached;
    }
    for (const c of scenario.scene.callouts || []) {
      c.position = state.callouts.find((k) => k.id === c.id).position;
    }
  }

  function save() {
    const text = pg.exportScenario();
    const blob = new Blob([text], { type: 'application/json' });
    const a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = (state.name || 'session').replace(/[^A-Za-z0-9._-]+/g, '-') + '.session.json';
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 1000);
  }

  async function setUp(Module) {
    pg = wrapPlayground(Module);
    const chooser = $('chooser');
    const sessions = [['default session', pg.defaultText()]].concat(EXAMPLES);
    sessions.forEach(([name], i) => chooser.add(new Option(name, String(i))));
    chooser.addEventListener('change', () => {
      const [name, text] = sessions[Number(chooser.value)];
      // A session that cannot be set up leaves the one playing, and its name.
      if (load(text, 'loaded ' + name)) chooser.value = chosen;
      else chosen = chooser.value;
    });
    const view = $('view');
    view.addEventListener('pointerdown', onPointerDown);
    view.addEventListener('pointermove', onPointerMove);
    view.addEventListener('pointerup', onPointerUp);
    view.addEventListener('pointercancel', onPointerUp);
    view.addEventListener('wheel', onWheel, { passive: false });
    view.addEventListener('contextmenu', (ev) => ev.preventDefault());
    // The viewer's behaviour: one viewer action with every field the controls give.
    const sendViewer = () => {
      const controller = $('controller').value;
      const action = { action: 'viewer', controller, rebuild: $('rebuild').checked,
        picks: $('picks').value };
      if (controller === 'snap') action.grid = typed($('grid').value.trim());
      if (!sendAction(action)) showViewer();
    };
    for (const id of ['controller', 'grid', 'rebuild', 'picks']) {
      $(id).addEventListener('change', sendViewer);
    }
    $('secondView').addEventListener('change', (ev) => {
      switching = setSecondView(ev.target.checked);
    });
    $('undo').addEventListener('click', () => history(true));
    $('redo').addEventListener('click', () => history(false));
    document.addEventListener('keydown', (ev) => {
      if (ev.key === 'Escape' && playing) {
        playing.stopped = true;
        return;
      }
      // Text being typed keeps its own undo.
      const typing = ev.target === $('scenario') || ev.target.isContentEditable ||
        ev.target.tagName === 'INPUT';
      if (!(ev.ctrlKey || ev.metaKey) || typing) return;
      const key = ev.key.toLowerCase();
      if (key === 'z' || key === 'y') {
        history(key === 'z' && !ev.shiftKey);
        ev.preventDefault();
      }
    });
    $('colour').addEventListener('change', (ev) => {
      play(pg.preferences(parseInt(ev.target.value.slice(1), 16)));
    });
    $('step').addEventListener('click', () => {
      if (!dragging && scriptIndex < state.scriptLength) play(pg.playScript(scriptIndex++));
    });
    $('playAll').addEventListener('click', playAll);
    $('stop').addEventListener('click', () => {
      if (playing) playing.stopped = true;
    });
    $('save').addEventListener('click', save);
    $('copyLink').addEventListener('click', copyLink);
    $('link').addEventListener('focus', (ev) => ev.target.select());
    const box = $('scenario');
    $('load').addEventListener('click', () => {
      if (load(box.value, 'loaded the pasted scenario') === null) showOrigin('pasted scenario');
    });
    box.addEventListener('dragover', (ev) => {
      ev.preventDefault();
      box.classList.add('dragover');
    });
    box.addEventListener('dragleave', () => box.classList.remove('dragover'));
    box.addEventListener('drop', (ev) => {
      ev.preventDefault();
      box.classList.remove('dragover');
      const file = ev.dataTransfer.files[0];
      if (file) {
        file.text().then((text) => {
          box.value = text;
          if (load(text, 'loaded ' + file.name) === null) showOrigin(file.name);
        });
      }
    });
    loadedText = pg.defaultText();
    startSession('loaded default session');
    // A link pasted over the address of the open page changes only its fragment.
    window.addEventListener('hashchange', openAddress);
    window.playground = {
      api: pg,
      state: () => state,
      load,
      linked: () => linking,
      switched: () => switching,
      ready: false,
    };
    await openAddress();
    window.playground.ready = true;
  }

  createPlayground()
    .then(setUp)
    .catch((e) => {
      $('status').textContent = 'the module did not start: ' + e;
    });
})();
