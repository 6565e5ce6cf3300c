// messages.js - the host's messages in Japanese for the page.  The host
// and nerolit-host keep English (their command line, their logs, the
// tests that read them); the page shows the user a Japanese form of the
// same message, made here from the English one: the place ("file:line: ")
// is kept as it is, the sentence after it is matched against the host's
// message forms and said again in Japanese with the message's own names,
// numbers and quoted texts.  A sentence no form matches is still shown in
// a Japanese frame with the host's words in it, so nothing is lost.

/* [pattern, Japanese] pairs; the Japanese takes $1.. from the pattern.
   Order matters: the first match is taken. */
const FORMS = [
  // Reading a DXF file.
  [/^a binary DXF file; the host reads ASCII DXF \(save the drawing as ASCII DXF\)$/, 'バイナリDXFは読めません (ASCII形式のDXFで保存してください)'],
  [/^not a DXF file \(binary data\)$/, 'DXFファイルではありません (バイナリデータです)'],
  [/^expected a group code \(a number from 0 to 1071\), found (.*)$/, 'グループコード (0～1071の数) がありません: $1'],
  [/^the file ends after group code (\d+), before its value: it is truncated$/, 'グループコード $1 の値の前でファイルが終わっています (途中で切れたファイル)'],
  [/^group code (\d+) needs a finite number, found (.*)$/, 'グループコード $1 には数値が必要です: $2'],
  [/^group code (\d+) needs an integer, found (.*)$/, 'グループコード $1 には整数が必要です: $2'],
  [/^the file ends inside the (\S+) section without 0\/EOF: it is truncated$/, '$1 セクションの途中でファイルが終わっています (途中で切れたファイル)'],
  [/^the file ends (.*?) ?without 0\/EOF: it is truncated$/, 'ファイルが 0/EOF なしで終わっています (途中で切れたファイル)'],
  [/^expected 0\/SECTION or 0\/EOF, found (.*)$/, '0/SECTION か 0/EOF があるべき所に $1 があります'],
  [/^a section needs its name \(group code 2\)$/, 'セクションに名前 (グループコード 2) がありません'],
  [/^expected 0\/ENDSEC to end the HEADER section$/, 'HEADER セクションが 0/ENDSEC で終わっていません'],
  [/^expected 0\/TABLE in the TABLES section, found (.*)$/, 'TABLES セクションに 0/TABLE 以外の $1 があります'],
  [/^the (\S+) table has no 0\/ENDTAB$/, '$1 テーブルに 0/ENDTAB がありません'],
  [/^expected 0\/BLOCK in the BLOCKS section, found (.*)$/, 'BLOCKS セクションに 0/BLOCK 以外の $1 があります'],
  [/^expected 0\/(\S+), found (.*)$/, '0/$1 があるべき所に $2 があります'],
  [/^the drawing needs more figure entries than the host's tables hold (.*)$/, '図形が多すぎてホストの表に入りません $1'],
  [/^the inserts repeat their blocks more than the host can follow$/, 'ブロック挿入の入れ子が深すぎて展開できません'],
  [/^the drawing takes (\d+) (.*)$/, '図面が $1 エントリを使い、ホストの上限を超えます ($2)'],
  [/^the drawing is full: (.*)$/, '図面がいっぱいです: $1'],
  [/^skipped: (.*)$/, '読み飛ばしたもの: $1'],
  [/^not kept: (.*)$/, '保持できなかったもの: $1'],
  // Reading a session or a settings file.
  [/^a text in double quotes is not closed$/, 'ダブルクォートの文字列が閉じていません'],
  [/^expected (.*)$/, '書式が違います (正しくは: $1)'],
  [/^'(.*)' is not a number$/, '「$1」は数値ではありません'],
  [/^'(.*)' is not an integer$/, '「$1」は整数ではありません'],
  [/^unknown action '(.*)'$/, '「$1」という操作はありません'],
  [/^a figure index is never negative$/, '図形番号は負になりません'],
  [/^after N needs N >= 0$/, 'after N の N は 0 以上です'],
  [/^one action, please: '(.*)'$/, '操作は1行に1つです: 「$1」'],
  // The session as it plays.
  [/^the module has no command '(.*)' \(C66, Hatch, kumo1 or VeC92\)$/, 'コマンド「$1」はありません (C66・Hatch・kumo1・VeC92)'],
  [/^'(.*)' answers nothing: no command has run yet$/, '「$1」に答える要求がありません (まだコマンドが実行されていません)'],
  [/^'(.*)' answers nothing: (\S+) has returned$/, '「$1」に答える要求がありません ($2 は終了しています)'],
  [/^between commands the host asks for (.*), not '(.*)'$/, 'コマンドの間はコマンドの指定を待っています (「$2」は使えません)'],
  [/^(\S+) asks for (.*), not '(.*)'$/, '$1 は$2を求めています (「$3」は答えになりません)'],
  [/^(\S+) asked for (.*)$/, '$1 の要求に答えられない行です: $2'],
  [/^(\d+) is not a figure of the drawing$/, '$1 は図面の図形番号ではありません'],
  [/^the panel has no (.*)$/, 'パネルにその項目がありません: $1'],
  [/^the engine is working: answer its next request$/, '処理中です。次の要求を待ってください'],
  [/^the engine is not waiting for an action$/, '処理中です。次の要求を待ってください'],
  [/^the session has failed: (.*)$/, 'セッションは失敗しています: $1'],
  [/^cannot write (.*)$/, '$1 に書き込めません'],
  // The module misbehaving.
  [/^the command has hung: (.*)$/, 'コマンドが応答しません: $1'],
  [/^(\S+) has hung: (.*)$/, '$1 が応答しません: $2'],
  [/^the module trapped: (.*)$/, 'モジュールが異常終了しました: $1'],
  // Settings.
  [/^\[(.*)\] (.*): a session cannot set this setting$/, '設定 [$1] $2 はセッションで設定できません'],
  [/^a setting needs a key$/, '設定にキーがありません'],
];

const SOURCE_TAIL = /: ([^:]+)$/; // "...: the line itself" the host appends to a bad line

/* The sentence (no place) in Japanese, or null. */
function sentence(what) {
  for (const [re, ja] of FORMS) {
    const m = re.exec(what);
    if (m) return ja.replace(/\$(\d)/g, (_, k) => m[Number(k)] ?? '');
  }
  return null;
}

/* A host message in Japanese: its place ("name:line: ", possibly a file
   name only) kept, the rest said in Japanese. */
export function japanese(message) {
  const text = String(message ?? '').trim();
  if (!text) return '';
  return text.split('\n').map(oneLine).join('\n');
}

function oneLine(text) {
  // The place: "name:line: " or "name: " where the name has no blank.
  const m = /^((?:[^\s:]+:\d+|[^\s:]+\.(?:dxf|DXF|drawing|txt|session|ini)|page:\d+): )(.*)$/s.exec(text);
  const place = m ? m[1] : '';
  const what = m ? m[2] : text;
  // "what: the line" (a bad session line): the sentence, then the line.
  const t = SOURCE_TAIL.exec(what);
  const head = t ? sentence(what.slice(0, t.index)) : null;
  let ja = head !== null ? `${head}: ${t[1]}` : sentence(what);
  if (ja === null) ja = `ホストからの報告: ${what}`;
  return place + ja;
}
