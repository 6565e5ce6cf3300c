// help.js - the help panel (F1 or ?): the keys and mouse actions of the
// page, from one list that is also what the README's table says.

export const SHORTCUTS = [
  ['左クリック', '点を指示 (スナップがあればその点)'],
  ['右クリック / Enter', '確定 (軌跡・領域・選択)。点の指示では1段戻る。コマンドの外では直前のコマンドを繰り返す'],
  ['Space', '直前のコマンドを繰り返す (押したままドラッグで画面移動)'],
  ['Esc', 'コマンドを終える。長い処理は次の確認で止まる'],
  ['Backspace', '領域の最後の辺・軌跡を取り消す'],
  ['Ctrl+Z / Ctrl+Y', 'コマンド単位で元に戻す / やり直す'],
  ['F3', 'スナップ オン/オフ (種類ごとはバーのボタン)'],
  ['F8', '直交 オン/オフ'],
  ['F1 / ?', 'このヘルプ'],
  ['100,50 / @100,50', 'プロンプト行に入力して Enter: 座標 / 直前の点からの相対座標 (図面単位)'],
  ['コマンド名', 'プロンプト行に入力して Enter (C66, Hatch, kumo1, VeC92)'],
  ['ホイール', 'カーソルの位置を中心に拡大・縮小'],
  ['中ボタンドラッグ', '画面移動'],
  ['中ボタン ダブルクリック', '全体表示'],
];

/* Fills the help dialog once and returns the toggle. */
export function setUpHelp(dialog, table) {
  for (const [keys, what] of SHORTCUTS) {
    const tr = document.createElement('tr');
    const th = document.createElement('th');
    th.textContent = keys;
    const td = document.createElement('td');
    td.textContent = what;
    tr.append(th, td);
    table.append(tr);
  }
  dialog.querySelector('button').addEventListener('click', () => dialog.close());
  return () => {
    if (dialog.open) dialog.close();
    else dialog.showModal();
  };
}
