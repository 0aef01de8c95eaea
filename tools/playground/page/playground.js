// The playground page: pointer events on the view become the replay's actions (hover, press,
// move, release, and the pick cast along the pointer's ray after a drop), played live through
// the library; the view, the selected markup's record, the session and the log follow each one.
// The session also travels as a link: its scenario in the address's fragment (link.js).
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const kLogLines = 600; // the log pane keeps this many lines
  let pg = null;
  let state = null;
  let scriptIndex = 0;
  let dragging = false;
  let dragPointer = null; // the pointer that holds the open drag
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
  const names = (list) => (list.length ? list.map((n) => '"' + n + '"').join(', ') : 'none');

  function rows(table, entries) {
    table.textContent = '';
    for (const [key, value] of entries) {
      const tr = table.insertRow();
      tr.insertCell().textContent = key;
      tr.insertCell().textContent = value;
    }
  }

  function appendLog(log) {
    const pane = $('log');
    const lines = [log.headline].concat(log.details.map((d) => '    ' + d));
    for (const line of lines) {
      const div = document.createElement('div');
      div.textContent = line;
      if (line.indexOf('FAILED') >= 0 || log.checksFailed > 0) div.className = 'failed';
      pane.appendChild(div);
    }
    while (pane.childNodes.length > kLogLines) pane.removeChild(pane.firstChild);
    pane.scrollTop = pane.scrollHeight;
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
      ['operations', names(state.operations)],
      ['undo stack', names(state.undo)],
      ['redo stack', names(state.redo)],
      ['pending picks', state.pendingPicks.length ? state.pendingPicks.join('; ') : 'none'],
      ['actions', state.actionsPlayed + ' played, ' + state.actionsKept + ' kept for saving'],
    ]);
  }

  function render() {
    $('view').innerHTML = pg.frame();
    state = pg.state();
    showRecord();
    $('undo').disabled = state.undo.length === 0;
    $('redo').disabled = state.redo.length === 0;
    $('step').disabled = $('playAll').disabled = scriptIndex >= state.scriptLength;
    $('status').textContent = state.busy ? 'drag open' : '';
  }

  function play(log) {
    appendLog(log);
    render();
  }

  // Window pixel of a pointer event: the SVG may be shown scaled.
  function pixel(ev) {
    const svg = $('view').querySelector('svg');
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

  function onPointerDown(ev) {
    if (ev.button !== 0) return;
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
    if (!inWindow(p)) return;
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
    if (dragging) return;
    flush();
    play(undo ? pg.undo() : pg.redo());
  }

  function startSession(heading) {
    $('log').textContent = '';
    scriptIndex = 0;
    dragging = false;
    dragPointer = null;
    lastHover = null;
    queued = null;
    render();
    appendLog({ headline: heading, details: state.scene, checksFailed: 0 });
  }

  // Loads a scenario text; a bad one leaves the session as it is and shows the parser's message.
  function load(text, heading) {
    const error = pg.load(text);
    $('error').textContent = error ? 'Not loaded: ' + error : '';
    if (!error) startSession(heading);
    return error;
  }

  function playAll() {
    while (scriptIndex < state.scriptLength) {
      appendLog(pg.playScript(scriptIndex++));
    }
    render();
  }

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
      field.value = '';
      $('linkNote').textContent = 'no link: ' + e.message; // a browser without CompressionStream
      return null;
    }
    const address = location.href.split('#')[0] + '#' + fragment;
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
    if (text !== null) error = load(text, 'loaded the session from the link');
    if (error === null) {
      playAll();
      return;
    }
    load(pg.defaultText(), 'loaded default session');
    $('chooser').value = '0';
    $('error').textContent = 'Link not loaded: ' + error;
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
      load(text, 'loaded ' + name);
    });
    const view = $('view');
    view.addEventListener('pointerdown', onPointerDown);
    view.addEventListener('pointermove', onPointerMove);
    view.addEventListener('pointerup', onPointerUp);
    view.addEventListener('pointercancel', onPointerUp);
    $('undo').addEventListener('click', () => history(true));
    $('redo').addEventListener('click', () => history(false));
    document.addEventListener('keydown', (ev) => {
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
      if (scriptIndex < state.scriptLength) play(pg.playScript(scriptIndex++));
    });
    $('playAll').addEventListener('click', playAll);
    $('save').addEventListener('click', save);
    $('copyLink').addEventListener('click', copyLink);
    $('link').addEventListener('focus', (ev) => ev.target.select());
    const box = $('scenario');
    $('load').addEventListener('click', () => load(box.value, 'loaded the pasted scenario'));
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
          load(text, 'loaded ' + file.name);
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
