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

// Command line.
inline constexpr wchar_t kBadCommandLinePath[] =
    L"コマンドライン引数で指定された、読み込むタスクリストファイルのフルパスが不正です。";
    // the full path of the task list file given on the command line is invalid
inline constexpr wchar_t kBadCommandLine[] =
    L"コマンドライン引数が不正です。";  // the command-line arguments are invalid

// Settings.
inline constexpr wchar_t kSettingsWriteFailed[] =
    L"設定ファイルの書き込みに失敗しました。";  // writing the settings file failed

}  // namespace nagitome::texts
