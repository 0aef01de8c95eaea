// The playground page: pointer events on the view become the replay's actions (hover, press,
// move, release, and the pick cast along the pointer's ray after a drop), played live through
// the library; the view, the selected markup's record, the session and the log follow each one.
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
  let pg = null;
  let state = null;
  let scriptIndex = 0;
  let dragging = false;
  let dragPointer = null; // the pointer that holds the open drag
  let playing = null; // the script being played: {stopped}
  let pendingLog = []; // lines of the log not shown yet: [text, failed]
  let lastHover = null;
  let queued = null; // the latest pointer position not played yet: {kind, x, y}
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

  // The selected markup: the one last hovered or grabbed, else the first centre line.
  function showRecord() {
    const line = state.centerLines.find((l) => l.id === state.touched) || state.centerLines[0];
    const callout = state.callouts.find((c) => c.id === state.touched);
    if (callout) {
      $('recordTitle').textContent = 'Callout ' + callout.id;
      rows($('record'), [['position', point(callout.position)]]);
    } else if (line) {
      $('recordTitle').textContent = 'Centre line ' + line.id;
      rows($('record'), [
        ['start', point(line.start)],
        ['end', point(line.end)],
        ['start extension', number(line.startExtension)],
        ['end extension', number(line.endExtension)],
        ['ratio', number(line.ratio)],
        ['mode', line.mode],
        ['attached', String(line.attached)],
        ['part ID', '"' + line.partID + '"'],
        ['start item', line.startPointItem],
        ['end item', line.endPointItem],
        ['points', line.points.map(point).join(' ')],
      ]);
    } else {
      $('recordTitle').textContent = 'Record';
      rows($('record'), [['', 'no markup in this scenario']]);
    }
    rows($('session'), [
      ['operations', names(state.operations, state.operationCount)],
      ['undo stack', names(state.undo, state.undoCount)],
      ['redo stack', names(state.redo, state.redoCount)],
      ['pending picks', state.pendingPicks.length ? state.pendingPicks.join('; ') : 'none'],
      ['actions', state.actionsPlayed + ' played, ' + state.actionsKept + ' kept for saving'],
    ]);
  }

  function render() {
    $('frameLayer').innerHTML = pg.frame();
    for (const element of $('frameLayer').querySelectorAll('[id]')) {
      element.id = kFrameIdPrefix + element.id;
    }
    state = pg.state();
    showRecord();
    $('undo').disabled = playing !== null || state.undoCount === 0;
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

  // Window pixel of a pointer event: the SVG may be shown scaled.
  function pixel(ev) {
    const svg = $('frameLayer').querySelector('svg');
    const r = svg.getBoundingClientRect();
    const box = svg.viewBox.baseVal;
    return {
      x: Math.floor(((ev.clientX - r.left) * box.width) / r.width),
      y: Math.floor(((ev.clientY - r.top) * box.height) / r.height),
    };
  }
  const inWindow = (p) =>
    p.x >= 0 && p.y >= 0 && p.x < state.viewport[0] && p.y < state.viewport[1];

  // Pointer moves are played once per animation frame, with the latest position.
  function flush() {
    if (!queued) return;
    const q = queued;
    queued = null;
    play(q.kind === 'move' ? pg.move(q.x, q.y) : pg.hover(q.x, q.y));
  }
  function queue(kind, p) {
    queued = { kind, x: p.x, y: p.y };
    if (!frameRequested) {
      frameRequested = true;
      requestAnimationFrame(() => {
        frameRequested = false;
        flush();
      });
    }
  }

  // While a script plays, the view takes no input: the user's actions would land between the
  // script's. Likewise no scripted action plays during the user's drag.
  function onPointerDown(ev) {
    if (ev.button !== 0 || playing) return;
    const p = pixel(ev);
    if (!inWindow(p)) return;
    flush();
    $('view').setPointerCapture(ev.pointerId);
    dragging = true;
    dragPointer = ev.pointerId;
    lastHover = null;
    play(pg.press(p.x, p.y));
    ev.preventDefault();
  }

  function onPointerMove(ev) {
    const p = pixel(ev);
    if (dragging) {
      if (ev.pointerId === dragPointer) queue('move', p);
      return;
    }
    if (playing || !inWindow(p)) return;
    if (lastHover && lastHover.x === p.x && lastHover.y === p.y) return;
    lastHover = p;
    queue('hover', p);
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
    if (dragging || playing) return;
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
    lastHover = null;
    queued = null;
    // What no action changes is drawn here once; each action draws only the frame over it.
    $('sceneLayer').innerHTML = pg.scene();
    render();
    appendLog({ headline: heading, details: pg.describe(), checksFailed: 0 });
  }

  // Loads a scenario text; a bad one leaves the session as it is and shows the parser's message.
  function load(text, heading) {
    const error = pg.load(text);
    $('error').textContent = error ? 'Not loaded: ' + error : '';
    if (!error) startSession(heading);
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
  async function playAll() {
    if (playing || dragging) return;
    const run = { stopped: false };
    playing = run;
    $('progress').hidden = false;
    render();
    showProgress();
    while (!run.stopped && scriptIndex < state.scriptLength) {
      const until = performance.now() + kSliceMs;
      do {
        queueLog(pg.playScript(scriptIndex++));
      } while (scriptIndex < state.scriptLength && performance.now() < until);
      showLog();
      render();
      showProgress();
      await nextTask();
    }
    if (playing !== run) return; // another session was loaded meanwhile
    playing = null;
    $('progress').hidden = true;
    if (scriptIndex < state.scriptLength) {
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
    $('undo').addEventListener('click', () => history(true));
    $('redo').addEventListener('click', () => history(false));
    document.addEventListener('keydown', (ev) => {
      if (ev.key === 'Escape' && playing) {
        playing.stopped = true;
        return;
      }
      if (!(ev.ctrlKey || ev.metaKey) || ev.target === $('scenario')) return;
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
    startSession('loaded default session');
    // A link pasted over the address of the open page changes only its fragment.
    window.addEventListener('hashchange', openAddress);
    window.playground = {
      api: pg,
      state: () => state,
      load,
      linked: () => linking,
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
