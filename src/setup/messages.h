// Every text the installer shows or logs, in one place. The sources are
// UTF-8; the compiler stores these literals as Shift-JIS (code page 932).
#pragma once

// Configuration errors (caption "SETUPLIB").
inline constexpr char MsgKeyMissing[] = "SETUP.INI : %s キーが存在しません";
inline constexpr char MsgBannerListError[] = "SETUP.INI : SetupBmps エラー";
inline constexpr char MsgTooManySelects[] = "SETUP.INI : InstallSelect オーバー";
inline constexpr char MsgTooManyShortcuts[] = "SETUP.INI : Shortcuts オーバー";
inline constexpr char MsgKeyError[] = "SETUP.INI : %s エラー";
inline constexpr char MsgAddFilesError[] = "SETUP.INI : InstallAddFiles エラー";

// The driver.
inline constexpr char MsgNoLocalIni[] = "'SETUP.INI' がありません";
inline constexpr char MsgInsertFirstDisc[] = "「%s」ディスク １ を入れて下さい";
inline constexpr char MsgDiscIniMissing[] = "\"SETUP.INI\" ファイルが見つかりません";
inline constexpr char MsgCloseGameForAddOn[] =
    "追加データをインストールをする場合は、ゲームを終了して下さい";
inline constexpr char MsgCannotStartGame[] = "インストール先のプログラムを起動出来ません";
inline constexpr char MsgOutOfMemory[] = "メモリが足りません";
inline constexpr char MsgInterrupted[] = "インストールが中断されました";
inline constexpr char MsgWindowCaption[] = "%s セットアップ";

// Setup log lines of the driver.
inline constexpr char LogStarted[] = "ログ記録開始";
inline constexpr char LogInstallCheckDone[] = "インストールチェック終了";
inline constexpr char LogSourceCheckDone[] = "ファイル存在確認終了";

inline constexpr char DefaultSelectMessage[] = "インストール方法を選択して下さい";
