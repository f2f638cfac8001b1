// Every text the user sees, in one place, each with its English gloss.
#pragma once

namespace nagitome::texts {

inline constexpr wchar_t kAppName[] = L"Nagitome";
inline constexpr wchar_t kCaption[] = L"Nagitome";

// Value sets (list view columns 0-2). The parentheses are fullwidth U+FF08/U+FF09.
inline constexpr wchar_t kEndCloseWindow[] = L"ウィンドウを閉じる";  // close the window
inline constexpr wchar_t kEndTaskkill[] = L"taskkill";
inline constexpr wchar_t kTargetTitle[] = L"ウィンドウタイトル";  // window title
inline constexpr wchar_t kTargetClass[] = L"ウィンドウクラス名";  // window class name
inline constexpr wchar_t kTargetTitleAndClass[] =
    L"ウィンドウタイトル（ウィンドウクラス名）";  // window title (window class name)
inline constexpr wchar_t kTargetProcess[] = L"プロセス名";  // process name
inline constexpr wchar_t kMethodWildcard[] = L"ワイルドカード";  // wildcard
inline constexpr wchar_t kMethodRegexCase[] =
    L"正規表現（大小区別する）";  // regular expression (distinguishes case)
inline constexpr wchar_t kMethodRegexNoCase[] =
    L"正規表現（大小区別しない）";  // regular expression (does not distinguish case)

// Window title.
inline constexpr wchar_t kUntitledTitle[] = L"無題 - Nagitome";  // untitled
inline constexpr wchar_t kTitleSuffix[] = L" - Nagitome";

// Task list file.
inline constexpr wchar_t kOpenFailed[] =
    L"タスクリストファイルのオープンに失敗しました。";  // opening the task list file failed
inline constexpr wchar_t kWriteFailed[] =
    L"タスクリストファイルの書き込みに失敗しました。";  // writing the task list file failed
inline constexpr wchar_t kOriginalKeptAs[] =
    L"元のタスクリストファイルは次の名前で残っています。";
    // the original task list file remains under the following name
inline constexpr wchar_t kTempFileLeftAs[] =
    L"書き込み中の一時ファイルが次の名前で残っています。";
    // the temporary file being written remains under the following name

// Command line.
inline constexpr wchar_t kBadCommandLinePath[] =
    L"コマンドライン引数で指定された、読み込むタスクリストファイルのフルパスが不正です。";
    // the full path of the task list file given on the command line is invalid
inline constexpr wchar_t kBadCommandLine[] =
    L"コマンドライン引数が不正です。";  // the command-line arguments are invalid

// Settings.
inline constexpr wchar_t kSettingsWriteFailed[] =
    L"設定ファイルの書き込みに失敗しました。";  // writing the settings file failed

// Main dialog.
inline constexpr wchar_t kTooManyDropped[] =
    L"二つ以上のファイルをドラッグアンドドロップ出来ません。";  // two or more files cannot be dropped
inline constexpr wchar_t kListViewFailed[] =
    L"タスクリストリストビューの作成に失敗しました。";  // creating the task list list view failed
inline constexpr wchar_t kInvalidRegexHeader[] =
    L"次のエントリは正規表現が不正なため、何も終了しませんでした。";
    // the following entries ended nothing because their regular expression is invalid
inline constexpr wchar_t kRegexGaveUpHeader[] =
    L"次のエントリは正規表現の照合に時間がかかりすぎたため、途中で打ち切りました。"
    L"終了されずに残ったものがあるかもしれません。";
    // the following entries were cut short because matching their regular expression took too
    // long; some of what they match may have been left running
inline constexpr wchar_t kInvalidRegexRow[] = L" 行目: ";  // "<n> 行目: <keyword>": row n
inline constexpr wchar_t kInvalidRegexMoreBefore[] = L"ほか ";  // "ほか <n> 件": and n more
inline constexpr wchar_t kInvalidRegexMoreAfter[] = L" 件";
inline constexpr wchar_t kReadmeName[] = L"Readme.txt";
// The run's third group: what is left after the wait, "<n> 行目: <title> （<outcome>）".
inline constexpr wchar_t kLeftRunningHeader[] =
    L"次のものは待っても終了しませんでした。";  // the following did not end within the wait
inline constexpr wchar_t kOutcomeBefore[] = L"（";  // fullwidth parentheses around the outcome
inline constexpr wchar_t kOutcomeAfter[] = L"）";
inline constexpr wchar_t kOutcomePrompting[] =
    L"確認の画面を表示中";  // showing a confirmation box (e.g. "save changes?")
inline constexpr wchar_t kOutcomeNotResponding[] = L"応答なし";  // not responding
inline constexpr wchar_t kOutcomeStillOpen[] = L"閉じられずに残っています";  // left open, not closed
inline constexpr wchar_t kOutcomeStillRunning[] = L"終了せずに動いています";  // still running, not ended
inline constexpr wchar_t kOutcomeDenied[] = L"アクセスが拒否されました";  // access was denied
inline constexpr wchar_t kOutcomeNotStarted[] =
    L"taskkill を起動できませんでした";  // taskkill could not be started
inline constexpr wchar_t kOutcomeForcedStillRunning[] =
    L"強制終了しても動いています";  // still running after the forced end
inline constexpr wchar_t kOutcomeForcedDenied[] =
    L"強制終了が拒否されました";  // the forced end was denied

// Task list view columns.
inline constexpr wchar_t kColumnEndMethod[] = L"終了方法";  // end method
inline constexpr wchar_t kColumnTarget[] = L"マッチング対象";  // matching target
inline constexpr wchar_t kColumnMethod[] = L"マッチング方法";  // matching method
inline constexpr wchar_t kColumnKeyword[] = L"キーワード";  // keyword

// File dialogs. The filter list: display text and pattern pairs, ended by an empty pair.
inline constexpr wchar_t kFileFilter[] = L"TXT ファイル (*.txt)\0*.txt\0全て (*.*)\0*.*\0";
inline constexpr wchar_t kOpenTitle[] = L"タスクリストファイルを開く";  // open a task list file
inline constexpr wchar_t kSaveAsTitle[] =
    L"タスクリストファイルに名前を付けて保存";  // save the task list file under a name

// Preview: the task list view's context menu and the preview dialog (102).
inline constexpr wchar_t kPreviewEditedEntry[] = L"編集中の項目をプレビュー";  // preview the entry being edited
inline constexpr wchar_t kPreviewAllEntries[] = L"すべての項目をプレビュー";  // preview all entries
inline constexpr wchar_t kPreviewColumnRow[] = L"行";  // row
inline constexpr wchar_t kPreviewColumnEnd[] = L"終了方法";  // end method
inline constexpr wchar_t kPreviewColumnTarget[] = L"対象";  // target
inline constexpr wchar_t kPreviewColumnText[] = L"一致したテキスト";  // matched text
inline constexpr wchar_t kPreviewColumnProcess[] = L"プロセス名";  // process name
inline constexpr wchar_t kPreviewColumnPid[] = L"PID";
// "ウィンドウを閉じる: N 件、taskkill: M 件（まだ何も終了していません）":
// close window: N, taskkill: M (nothing has been ended yet)
inline constexpr wchar_t kPreviewCloses[] = L"ウィンドウを閉じる: ";
inline constexpr wchar_t kPreviewKills[] = L" 件、taskkill: ";
inline constexpr wchar_t kPreviewNothingEnded[] = L" 件（まだ何も終了していません）";
inline constexpr wchar_t kPreviewInvalidRows[] = L"正規表現が不正な行: ";  // rows with an invalid regular expression
inline constexpr wchar_t kPreviewGaveUpRows[] = L"時間切れで打ち切った行: ";  // rows cut short when their time ran out
inline constexpr wchar_t kPreviewProtected[] =
    L"保護（終了しません）";  // protected (not ended): its process keeps Windows running
inline constexpr wchar_t kPreviewReportFailed[] =
    L"プレビューの結果を書き込めませんでした。";  // the preview report could not be written
inline constexpr wchar_t kPreviewReportIsList[] =
    L"プレビューの結果の書き込み先がタスクリストファイルと同じです。";
    // the preview report would be written over the task list file itself
inline constexpr wchar_t kStandardOutput[] = L"標準出力";  // standard output

// The watcher (/w): its notification-area icon, the icon's menu, and the task list view's item.
inline constexpr wchar_t kWatchThisList[] = L"このリストを監視";  // watch this list
inline constexpr wchar_t kWatchTipWatching[] = L"Nagitome - 監視中: ";  // Nagitome - watching: <list>
inline constexpr wchar_t kWatchTipPaused[] = L"Nagitome - 一時停止中: ";  // Nagitome - paused: <list>
// "（終了 N 件）": (N ended)
inline constexpr wchar_t kWatchTipEnded[] = L"（終了 ";
inline constexpr wchar_t kWatchTipEndedTail[] = L" 件）";
inline constexpr wchar_t kWatchTipNotReloaded[] =
    L"（再読み込みに失敗: 前のルールで監視中）";  // (reload failed: still watching with the previous rules)
inline constexpr wchar_t kWatchPause[] = L"一時停止";  // pause
inline constexpr wchar_t kWatchResume[] = L"再開";  // resume
inline constexpr wchar_t kWatchEdit[] = L"リストを編集";  // edit the list
inline constexpr wchar_t kWatchAtLogon[] = L"ログオン時に開始";  // start at logon
inline constexpr wchar_t kWatchExit[] = L"終了";  // exit

}  // namespace nagitome::texts
