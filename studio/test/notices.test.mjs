// The DXF reader's notices in the page: a foreign binary DXF and a damaged
// DXF (both written by ezdxf, tests/dxf/studio_fixtures.py) opened through
// the file chooser as a person opens them.  The page must show, in
// Japanese, what the reader repaired (with each place), skipped (with the
// count and kind) and could not keep, and draw what nerolit-host reads
// from the same file.  Screenshots of both go to docs/.  The Japanese
// forms of every notice the host gives are checked without a browser.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { copyFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { OUT, emptySession, inStudio, openFile, replayNative, screenshot } from './harness.mjs';
import { japaneseNotices } from '../web/js/notices.js';

const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const LIMIT = { timeout: 180000 };

test('every notice of the DXF reader has a Japanese form with its place and counts', () => {
  const g = japaneseNotices([
    'a.dxf: repaired 5 faults (the drawing is read as far as it is sound):\n' +
      '  a.dxf:12: the LAYER table has no 0/ENDTAB: closed at 0/TABLE\n' +
      '  a.dxf:40: LINE at line 38: group code 10 needs a finite number, found "12,5": the entity is dropped\n' +
      '  a.dxf:byte 900: 3 bytes after 0/EOF ignored\n' +
      '  a.dxf:7: header variable $INSUNITS between sections: read as a header variable\n' +
      "  a.dxf:25: 2 texts not in UTF-8, which a DXF 2007 or later file must be: read in the file's code page (none given: ANSI_932) (the first here)\n" +
      '  and 2 more',
    'a.dxf:33: TEXT "雪☃": U+2603 has no Shift-JIS form; the text is kept as it is and written back with \\U+ escapes',
    'a.dxf: skipped: 8 IMAGE, 2 ARC in an insert scaled unequally in x and y, 1 in paper space',
    'a.dxf: not kept: 4 polyline widths, 1 XDATA of other applications',
    'a.dxf: something new',
  ]);
  assert.deepEqual(g.map((x) => x.kind), ['repaired', 'texts', 'skipped', 'notKept', 'other']);
  assert.equal(g[0].title, '壊れた箇所を 5 件修復して読み込みました (修復できた範囲で図面を読んでいます)');
  assert.deepEqual(g[0].items, [
    'a.dxf 12行目: LAYER テーブルに 0/ENDTAB がありません: 0/TABLE で閉じました',
    'a.dxf 40行目: LINE (38行目) の値が壊れています (グループコード 10 に有限の数値でない値 "12,5"): この図形を除きました',
    'a.dxf 900バイト目: 0/EOF の後の 3 バイトを無視しました',
    'a.dxf 7行目: ヘッダ変数 $INSUNITS がセクションの間にありました: ヘッダ変数として読み込みました',
    'a.dxf 25行目: DXF 2007 以降なのに UTF-8 でない文字列 2 個をファイルのコードページ (指定なし: ANSI_932) で読み込みました (最初のものの位置)',
    'ほか 2 件',
  ]);
  assert.match(g[1].items[0], /^a\.dxf 33行目: TEXT "雪☃" の U\+2603 は Shift-JIS にない文字です/);
  assert.equal(g[2].title, '読み込まなかった図形: 11 個');
  assert.deepEqual(g[2].items, ['IMAGE (読み込めない図形): 8 個', 'ARC (X と Y の尺度が違う挿入の中): 2 個', 'ペーパー空間の図形: 1 個']);
  assert.deepEqual(g[3].items, ['ポリラインの幅: 4 件', 'ほかのアプリケーションの XDATA: 1 件']);
  assert.deepEqual(g[4].items, ['a.dxf: something new']); // an unknown form is shown as it is
  assert.deepEqual(japaneseNotices([]), []);
});

test('a binary DXF and a damaged DXF opened in the page show what the reader skipped and repaired', LIMIT, async () => {
  const fixtures = join(OUT, 'dxf-notices');
  execFileSync('/usr/bin/python3', [join(repo, 'tests/dxf/studio_fixtures.py'), fixtures]);
  await inStudio(async (page) => {
    const box = page.locator('#notices');
    assert.equal(await box.isHidden(), true, 'no notices before a drawing is opened');

    // Binary DXF 2018: drawn as nerolit-host reads its ASCII twin, the eight images counted.
    await openFile(page, join(fixtures, 'plan-binary.dxf'));
    assert.equal(await page.locator('#failure').isHidden(), true, await page.locator('#failure').textContent());
    const list = await page.evaluate(() => window.nerolit.figureList());
    assert.equal(list, await replayNative(emptySession(), join(fixtures, 'plan-ascii.dxf')),
      'the binary file gives the figures of its ASCII form');
    assert.ok(list.split('\n').filter(Boolean).length >= 8, 'the plan is drawn');
    await box.waitFor({ state: 'visible' });
    let shown = await box.innerText();
    assert.match(shown, /plan-binary\.dxf を開きました/);
    assert.match(shown, /読み込まなかった図形: 8 個/);
    assert.match(shown, /IMAGE \(読み込めない図形\): 8 個/);
    assert.doesNotMatch(shown, /skipped|修復/);
    copyFileSync(await screenshot(page, 'notices-binary'), join(repo, 'docs/studio-binary-dxf.png'));
    await page.getByRole('button', { name: 'お知らせを閉じる' }).click();
    assert.equal(await box.isHidden(), true, 'closed by its button');

    // The damaged file: opened all the same, every repair listed with its line.
    await openFile(page, join(fixtures, 'plan-damaged.dxf'));
    assert.equal(await page.locator('#failure').isHidden(), true, await page.locator('#failure').textContent());
    await box.waitFor({ state: 'visible' });
    shown = await box.innerText();
    assert.match(shown, /plan-damaged\.dxf を開きました/);
    assert.match(shown, /壊れた箇所を 3 件修復して読み込みました/);
    assert.match(shown, /plan-damaged\.dxf \d+行目: LAYER テーブルに 0\/ENDTAB がありません: 0\/TABLE で閉じました/);
    assert.match(shown, /plan-damaged\.dxf \d+行目: LINE \(\d+行目\) の値が壊れています \(グループコード 10 に有限の数値でない値 "12,5"\): この図形を除きました/);
    assert.match(shown, /plan-damaged\.dxf \d+行目: 0\/EOF の後の 2 行を無視しました/);
    assert.match(shown, /読み込まなかった図形: 8 個/);
    const damaged = await page.evaluate(() => window.nerolit.figureList());
    assert.equal(damaged.split('\n').filter(Boolean).length, list.split('\n').filter(Boolean).length - 1,
      'one wall fewer than the sound plan');
    copyFileSync(await screenshot(page, 'notices-damaged'), join(repo, 'docs/studio-damaged-dxf.png'));
    // A command started: the box gives the drawing back.
    await page.getByRole('button', { name: '雲マーク', exact: true }).click();
    await page.waitForFunction(() => document.getElementById('notices').hidden);
  });
});
