// notices.js - what the DXF reader told after opening a drawing, shown in
// Japanese: the repairs of a damaged file, what was skipped and what could
// not be kept (with counts and kinds), and texts with characters outside
// Shift-JIS.  The engine hands the reader's notices over in the host's
// English (its command line keeps them so); each known form is turned into
// Japanese here, keeping the file and line (or byte) of every place, and
// a form this page does not know is shown as it is rather than hidden.

/* "name:12" → "name 12行目", "name:byte 40" → "name 40バイト目". */
function place(where) {
  const m = /^(.*):(byte )?(\d+)$/.exec(where);
  if (!m) return where;
  return `${m[1]} ${m[3]}${m[2] ? 'バイト目' : '行目'}`;
}

/* "group code 10 needs a finite number, found "x"" in Japanese. */
function why(text) {
  const m = /^group code (-?\d+) needs (an integer|a finite number), found (".*")$/.exec(text);
  if (!m) return text;
  return `グループコード ${m[1]} に${m[2] === 'an integer' ? '整数' : '有限の数値'}でない値 ${m[3]}`;
}

const STRAY_WHERE = {
  'in the HEADER section': 'HEADERセクションの中',
  'outside any table': 'テーブルの外',
  'outside any block': 'ブロックの外',
  'before the first entity': '最初の図形の前',
};

/* One repair ("what" after its place) in Japanese. */
const REPAIRS = [
  [/^(\d+) lines? after 0\/EOF ignored$/, (m) => `0/EOF の後の ${m[1]} 行を無視しました`],
  [/^(\d+) bytes after 0\/EOF ignored$/, (m) => `0/EOF の後の ${m[1]} バイトを無視しました`],
  [/^the file ends without 0\/EOF after its last section: read as it is$/,
    () => 'ファイルが最後のセクションの後 0/EOF なしで終わっています: そのまま読み込みました'],
  [/^header variable (\S+) (before the first section|between sections): read as a header variable$/,
    (m) => `ヘッダ変数 ${m[1]} が${m[2] === 'between sections' ? 'セクションの間' : '最初のセクションの前'}にありました: ヘッダ変数として読み込みました`],
  [/^header variable (\S+) inside (\S+) in the (\S+) section: read as a header variable$/,
    (m) => `ヘッダ変数 ${m[1]} が ${m[3]} セクションの ${m[2]} の中にありました: ヘッダ変数として読み込みました`],
  [/^header variable (\S*): (.*): ignored$/, (m) => `ヘッダ変数 ${m[1]} の値が壊れています (${why(m[2])}): 無視しました`],
  [/^(\d+) pairs outside any section \(from (.*)\) skipped$/,
    (m) => `どのセクションにも属さないグループコードと値の組 ${m[1]} 組 (${m[2]} から) を読み飛ばしました`],
  [/^a section without its name \(group code 2\) holding header variables: read as the HEADER section$/,
    () => '名前 (グループコード 2) のないセクションをヘッダ変数を持つので HEADER セクションとして読み込みました'],
  [/^a section without its name \(group code 2\): skipped$/, () => '名前 (グループコード 2) のないセクションを読み飛ばしました'],
  [/^the (\S+) section has no 0\/ENDSEC: closed at 0\/(.*)$/, (m) => `${m[1]} セクションに 0/ENDSEC がありません: 0/${m[2]} で閉じました`],
  [/^the (\S+) table has no 0\/ENDTAB: closed at 0\/(.*)$/, (m) => `${m[1]} テーブルに 0/ENDTAB がありません: 0/${m[2]} で閉じました`],
  [/^block (".*") has no 0\/ENDBLK: closed at 0\/(.*)$/, (m) => `ブロック ${m[1]} に 0/ENDBLK がありません: 0/${m[2]} で閉じました`],
  [/^block (".*"): (.*): the block is dropped$/, (m) => `ブロック ${m[1]} の値が壊れています (${why(m[2])}): このブロックを除きました`],
  [/^(-?\d+\/".*") (in the HEADER section|outside any table|outside any block|before the first entity)(?: \((\d+) pairs\))?: skipped$/,
    (m) => `${STRAY_WHERE[m[2]]}にある ${m[1]}${m[3] ? ` から ${m[3]} 組` : ''} を読み飛ばしました`],
  [/^the (\S+) table's (\S+) entry at (line|byte) (\d+): (.*): the entry is dropped$/,
    (m) => `${m[1]} テーブルの ${m[2]} (${m[4]}${m[3] === 'line' ? '行目' : 'バイト目'}) の値が壊れています (${why(m[5])}): この項目を除きました`],
  [/^(\S+) at (line|byte) (\d+): (.*): the entity is dropped$/,
    (m) => `${m[1]} (${m[3]}${m[2] === 'line' ? '行目' : 'バイト目'}) の値が壊れています (${why(m[4])}): この図形を除きました`],
  [/^(\S+) at (line|byte) (\d+): (.*): its XDATA is dropped$/,
    (m) => `${m[1]} (${m[3]}${m[2] === 'line' ? '行目' : 'バイト目'}) の XDATA の値が壊れています (${why(m[4])}): XDATA を除きました`],
  [/^(a text|\d+ texts) not in UTF-8, which a DXF 2007 or later file must be: read in the file's code page (.*?)( \(the first here\))?$/,
    (m) => `DXF 2007 以降なのに UTF-8 でない文字列${m[1] === 'a text' ? '' : ` ${m[1].split(' ')[0]} 個`}をファイルのコードページ ${m[2].replace('(none given: ANSI_932)', '(指定なし: ANSI_932)')} で読み込みました${m[3] ? ' (最初のものの位置)' : ''}`],
  [/^the TABLES section has no LAYER table: /,
    () => 'TABLES セクションに LAYER テーブルがありません: 図形のレイヤ名からレイヤを作りました (線色 7、実線)'],
  [/^(.*) \(in the (\S+) section, which the host does not read\)$/,
    (m) => `読み込まない ${m[2]} セクションに壊れた値があります (${why(m[1])})`],
];

/* What the reader skipped, by kind. */
const SKIPPED = [
  [/^(\S+) \(not in the drawing plane\)$/, (m) => `${m[1]} (作図平面の外)`],
  [/^in paper space$/, () => 'ペーパー空間の図形'],
  [/^(\S+) \(invisible\)$/, (m) => `${m[1]} (非表示)`],
  [/^(\S+) in an insert scaled unequally in x and y$/, (m) => `${m[1]} (X と Y の尺度が違う挿入の中)`],
  [/^POLYLINE \(3D\)$/, () => 'POLYLINE (3D)'],
  [/^POLYLINE \(mesh\)$/, () => 'POLYLINE (メッシュ)'],
  [/^POLYLINE \(polyface\)$/, () => 'POLYLINE (ポリフェースメッシュ)'],
  [/^(\S+) \(scaled to nothing\)$/, (m) => `${m[1]} (尺度 0)`],
  [/^DIMENSION without its block$/, () => 'DIMENSION (ブロックなし)'],
  [/^INSERT of an undefined block$/, () => 'INSERT (未定義のブロック)'],
  [/^INSERT of an external reference$/, () => 'INSERT (外部参照)'],
  [/^INSERT of a block inside itself$/, () => 'INSERT (自分自身を含むブロック)'],
  [/^([A-Z_0-9]+)$/, (m) => `${m[1]} (読み込めない図形)`],
];

/* What the reader could not keep, by kind. */
const NOT_KEPT = {
  'true colours (their ACI colour kept)': 'トゥルーカラー (ACI の色で保持)',
  lineweights: '線の太さ',
  thicknesses: '厚さ',
  'XDATA of other applications': 'ほかのアプリケーションの XDATA',
  'polyline widths': 'ポリラインの幅',
  'backward or upside-down texts (drawn readable)': '左右・上下反転の文字 (読める向きで表示)',
  'aligned or fitted texts (kept left-aligned at their first point)': '両端揃え・フィットの文字 (始点で左揃え)',
  'bottom alignments (written back on the baseline)': '下揃え (ベースライン揃えで書き戻し)',
  'line types beyond the 255th (drawn Continuous)': '256 番目以降の線種 (実線で表示)',
  'text and shapes in line types': '線種の中の文字・シェイプ',
  'layers beyond the 65536th (figures put on layer 0)': '65537 番目以降のレイヤ (図形はレイヤ 0 へ)',
  'text styles beyond the 256th (texts put in Standard)': '257 番目以降の文字スタイル (Standard へ)',
};

function translate(table, text) {
  for (const [re, f] of table) {
    const m = re.exec(text);
    if (m) return f(m);
  }
  return text;
}

/* "8 IMAGE, 2 SPLINE (...)" → [{ count, kind }]. */
function countedItems(list) {
  return list.split(', ').map((item) => {
    const m = /^(\d+) (.*)$/.exec(item);
    return m ? { count: Number(m[1]), kind: m[2] } : { count: 0, kind: item };
  });
}

/* The reader's notices as groups to show: [{ kind: 'repaired' | 'skipped'
   | 'notKept' | 'texts' | 'other', title, items: [text] }], each title
   and item in Japanese. */
export function japaneseNotices(notices) {
  const groups = [];
  const texts = { kind: 'texts', title: '', items: [] };
  for (const notice of notices || []) {
    const lines = notice.split('\n');
    let m = /^(.*): repaired (\d+) faults? \(the drawing is read as far as it is sound\):$/.exec(lines[0]);
    if (m) {
      const items = lines.slice(1).map((line) => {
        const t = line.trim();
        const more = /^and (\d+) more$/.exec(t);
        if (more) return `ほか ${more[1]} 件`;
        const p = /^(.*?:(?:byte )?\d+): (.*)$/.exec(t);
        return p ? `${place(p[1])}: ${translate(REPAIRS, p[2])}` : t;
      });
      groups.push({ kind: 'repaired', title: `壊れた箇所を ${m[2]} 件修復して読み込みました (修復できた範囲で図面を読んでいます)`, items });
      continue;
    }
    m = /^(.*): skipped: (.*)$/.exec(notice);
    if (m) {
      const items = countedItems(m[2]);
      const total = items.reduce((n, i) => n + i.count, 0);
      groups.push({ kind: 'skipped', title: `読み込まなかった図形: ${total} 個`, items: items.map((i) => `${translate(SKIPPED, i.kind)}: ${i.count} 個`) });
      continue;
    }
    m = /^(.*): not kept: (.*)$/.exec(notice);
    if (m) {
      const items = countedItems(m[2]);
      groups.push({ kind: 'notKept', title: '保持できなかった情報', items: items.map((i) => `${NOT_KEPT[i.kind] || i.kind}: ${i.count} 件`) });
      continue;
    }
    m = /^(.*?:(?:byte )?\d+): (\S+) (".*"): (U\+[0-9A-F]+|a byte that is not UTF-8) has no Shift-JIS form; .*$/.exec(notice);
    if (m) {
      const ch = m[4].startsWith('U+') ? m[4] : 'UTF-8 でないバイト';
      texts.items.push(`${place(m[1])}: ${m[2]} ${m[3]} の ${ch} は Shift-JIS にない文字です (文字列はそのまま保持し、DXF には \\U+ で書き戻します)`);
      continue;
    }
    m = /^(.*): (\d+) more texts have characters without a Shift-JIS form$/.exec(notice);
    if (m) {
      texts.items.push(`ほかに ${m[2]} 個の文字列に Shift-JIS にない文字があります`);
      continue;
    }
    groups.push({ kind: 'other', title: 'お知らせ', items: [notice] });
  }
  if (texts.items.length) {
    texts.title = 'Shift-JIS にない文字を含む文字列';
    groups.splice(groups[0] && groups[0].kind === 'repaired' ? 1 : 0, 0, texts);
  }
  return groups;
}

/* Shows the notices of the drawing `name` in the element `box` (hidden
   when there are none); its close button hides it. */
export function showNotices(box, name, notices) {
  const groups = japaneseNotices(notices);
  box.replaceChildren();
  box.hidden = groups.length === 0;
  if (!groups.length) return;
  const head = document.createElement('div');
  head.className = 'notices-head';
  const title = document.createElement('strong');
  title.textContent = `${name} を開きました: 読み込みについてのお知らせ`;
  const close = document.createElement('button');
  close.type = 'button';
  close.textContent = '閉じる';
  close.setAttribute('aria-label', 'お知らせを閉じる');
  close.addEventListener('click', () => {
    box.hidden = true;
  });
  head.append(title, close);
  box.append(head);
  for (const g of groups) {
    const section = document.createElement('section');
    section.className = `notice-${g.kind}`;
    const h = document.createElement('h3');
    h.textContent = g.title;
    const ul = document.createElement('ul');
    for (const item of g.items) {
      const li = document.createElement('li');
      li.textContent = item;
      ul.append(li);
    }
    section.append(h, ul);
    box.append(section);
  }
}
