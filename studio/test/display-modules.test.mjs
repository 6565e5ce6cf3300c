// The page's display and message logic that needs no browser: colours
// and line types resolved through layers, the unit of the status bar, the
// host's messages in Japanese with their place kept, and result names.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { aciColour, createStyler, layerChoices, unitName } from '../web/js/styles.js';
import { japanese } from '../web/js/messages.js';
import { resultName } from '../web/js/session.js';

test('a figure takes its own colour and line type, or its layer\'s', () => {
  assert.equal(aciColour(1), '#ff0000');
  assert.equal(aciColour(6), '#ff00ff');
  assert.equal(aciColour(7), '#1b1b1b'); // white on a light page is drawn dark
  assert.equal(aciColour(2), '#b8b800'); // yellow darkened to be read on it
  assert.equal(aciColour(10), '#ff0000'); // the hue circle starts at red
  assert.equal(aciColour(11), '#ff8080'); // half saturation
  assert.equal(aciColour(130), '#00ffff'); // 180 degrees
  assert.equal(aciColour(250), '#333333');
  assert.equal(aciColour(999), '#1b1b1b');

  const names = {
    fromDxf: true,
    layers: [{ name: '0', color: 7, lineType: 'Continuous' }, { name: '通り芯', color: 6, lineType: '一点鎖線' }],
    lineTypes: [{ name: 'ByLayer', dashes: [] }, { name: 'Continuous', dashes: [] }, { name: '一点鎖線', dashes: [1200, -300, 0, -300] }],
  };
  const styleOf = createStyler(names);
  const axis = styleOf({ layer: 1, color: 0, ltype: 0 });
  assert.equal(axis.colour, '#ff00ff');
  assert.deepEqual(axis.dashes, [1200, 300, 0, 300]);
  assert.equal(axis.unit, 'drawing');
  const own = styleOf({ layer: 1, color: 3, ltype: 1 }); // its own green, solid
  assert.equal(own.colour, '#00ff00');
  assert.equal(own.dashes, null);
  assert.equal(styleOf({ layer: 1, color: 0, ltype: 0 }), axis, 'alike figures share one style');

  // A figure list: no table, numbered line types as screen patterns.
  const plain = createStyler({ fromDxf: false, layers: [], lineTypes: [] });
  assert.deepEqual(plain({ layer: 3, color: 0, ltype: 2 }).dashes, [8, 4]);
  assert.equal(plain({ layer: 3, color: 0, ltype: 2 }).unit, 'screen');
  assert.deepEqual(layerChoices({ layers: [] }, [{ layer: 3 }, { layer: 1 }, { layer: 3 }]),
                   [{ number: 1, name: 'レイヤ 1' }, { number: 3, name: 'レイヤ 3' }]);
  assert.deepEqual(layerChoices(names, []).map((l) => l.name), ['0', '通り芯']);
  assert.equal(unitName({ fromDxf: true, insUnits: 4 }), 'mm');
  assert.equal(unitName({ fromDxf: true, insUnits: 1 }), 'in');
  assert.equal(unitName(null), 'mm');
});

test('the host\'s messages in Japanese, their file:line and quoted texts kept', () => {
  assert.equal(japanese('truncated.dxf:3968: the file ends inside the OBJECTS section without 0/EOF: it is truncated'),
               'truncated.dxf:3968: OBJECTS セクションの途中でファイルが終わっています (途中で切れたファイル)');
  assert.equal(japanese('bad.session:3: expected point X Y / move X Y: point 10'),
               'bad.session:3: 書式が違います (正しくは: point X Y / move X Y): point 10');
  assert.equal(japanese("the module has no command 'kumo2' (C66, Hatch, kumo1 or VeC92)"),
               'コマンド「kumo2」はありません (C66・Hatch・kumo1・VeC92)');
  assert.equal(japanese('a.dxf:1: a binary DXF file; the host reads ASCII DXF (save the drawing as ASCII DXF)'),
               'a.dxf:1: バイナリDXFは読めません (ASCII形式のDXFで保存してください)');
  assert.equal(japanese("h.session:1: unknown action 'hello': hello world"), 'h.session:1: 「hello」という操作はありません: hello world');
  assert.equal(japanese('plan.dxf: skipped: 8 IMAGE'), 'plan.dxf: 読み飛ばしたもの: 8 IMAGE');
  // A sentence without a Japanese form keeps the host's words, in a Japanese frame.
  assert.equal(japanese('x.dxf:9: something new'), 'x.dxf:9: ホストからの報告: something new');
  assert.equal(japanese(''), '');
});

test('a drawing made in the page is named after the commands that made it', () => {
  assert.equal(resultName('plan.dxf', 'dxf', []), 'plan-copy.dxf');
  assert.equal(resultName('plan.dxf', 'dxf', ['run kumo1', 'panel ok', 'run kumo1', 'run Hatch']), 'plan-kumo1-Hatch.dxf');
  assert.equal(resultName('a.b.drawing', 'txt', ['run C66']), 'a.b-C66.txt');
});
