// The playground module's C interface as a JavaScript object: one live session of the replay,
// played one action at a time. Used by the page and by the node test.
'use strict';

function wrapPlayground(Module) {
  const call = (name, ret, args) => Module.cwrap(name, ret, args);
  const c = {
    create: call('pg_create', 'number', []),
    load: call('pg_load', 'number', ['number', 'number']),
    error: call('pg_error', 'string', ['number']),
    play: call('pg_play', 'string', ['number', 'number', 'number', 'number', 'number']),
    action: call('pg_action', 'string', ['number', 'number']),
    hit: call('pg_hit', 'string', ['number', 'number', 'number', 'number']),
    preferences: call('pg_preferences', 'string', ['number', 'number']),
    playScript: call('pg_play_script', 'string', ['number', 'number']),
    scene: call('pg_scene', 'string', ['number']),
    describe: call('pg_describe', 'string', ['number']),
    frame: call('pg_frame', 'string', ['number']),
    state: call('pg_state', 'string', ['number']),
    exportText: call('pg_export', 'string', ['number']),
    defaultText: call('pg_default_text', 'string', []),
    heapUsed: call('pg_heap_used', 'number', []),
    failAllocation: call('pg_fail_allocation', null, ['number']),
  };
  const handle = c.create();
  // Scenario texts can be large (a long session): they go through the heap, not the stack.
  const withText = (text, use) => {
    const size = Module.lengthBytesUTF8(text) + 1;
    const at = Module._malloc(size);
    try {
      Module.stringToUTF8(text, at, size);
      return use(at);
    } finally {
      Module._free(at);
    }
  };
  const kinds = { hover: 0, press: 1, move: 2, release: 3, pick: 4, undo: 5, redo: 6 };
  const play = (kind, x, y, view) =>
    JSON.parse(c.play(handle, kinds[kind], x | 0, y | 0, view | 0));
  return {
    // Replaces the session with the scenario; answers null, or the parser's message (and the
    // current session stays).
    load: (text) => (withText(text, (at) => c.load(handle, at)) ? null : c.error(handle)),
    // Pointer events in a view (0, the default, is the first).
    hover: (x, y, view) => play('hover', x, y, view),
    press: (x, y, view) => play('press', x, y, view),
    move: (x, y, view) => play('move', x, y, view),
    release: () => play('release', 0, 0),
    pick: () => play('pick', 0, 0),
    undo: () => play('undo', 0, 0),
    redo: () => play('redo', 0, 0),
    // Any action, as an object (or the JSON text) of a scenario's action: its log, or {error}
    // with the parser's message when it is refused (nothing is played then).
    action: (action) =>
      JSON.parse(withText(typeof action === 'string' ? action : JSON.stringify(action),
        (at) => c.action(handle, at))),
    // What lies under a window position of a view: null or {markup, kind, handle?}, kind one of
    // sphere, arrow, note, line.
    hit: (x, y, view) => JSON.parse(c.hit(handle, view | 0, x | 0, y | 0)),
    // 0xRRGGBB, or a negative number to remove the preference.
    preferences: (rgb) => JSON.parse(c.preferences(handle, rgb)),
    playScript: (index) => JSON.parse(c.playScript(handle, index)),
    // The scene as set up (ground, parts, labels): drawn once, under every frame; and said line
    // by line.
    scene: () => c.scene(handle),
    describe: () => JSON.parse(c.describe(handle)),
    // What actions change, over the scene.
    frame: () => c.frame(handle),
    state: () => JSON.parse(c.state(handle)),
    exportScenario: () => c.exportText(handle),
    defaultText: () => c.defaultText(),
    heapUsed: () => c.heapUsed(),
    // The host pool's nth allocation from now fails (0: none).
    failAllocation: (nth) => c.failAllocation(nth),
  };
}

if (typeof module !== 'undefined') module.exports = { wrapPlayground };
