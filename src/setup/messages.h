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

// The welcome and install-type pages.
inline constexpr char MsgCannotLoadBanner[] = "Can't load \"%s\"";
inline constexpr char MsgWelcome[] = "「%s」のインストールを開始します";
inline constexpr char InstallTypeLabel[] = "%s  ( 約 %s )";

// The install-folder and save-data pages; the first text is also the
// folder browser's title.
inline constexpr char MsgChooseInstallFolder[] = "インストール先を指定して下さい";
inline constexpr char TextDesktopShortcuts[] = "デスクトップにもショートカットを作成する";
inline constexpr char MsgInvalidPath[] = "指定されたパスが無効です。";
inline constexpr char MsgInvalidDrive[] = "指定されたドライブが無効です。";
inline constexpr char MsgInstallPathTooLong[] = "指定されたパスが長すぎます。";
inline constexpr char MsgChooseSaveDataFolder[] = "セーブデータの保存先を選択して下さい";
inline constexpr char TextSaveDataInInstallFolder[] = "ゲームのインストール先フォルダ";
inline constexpr char TextSaveDataInDocuments[] = "「マイドキュメント」に作成した「%s\\%s」フォルダ";
inline constexpr char TextSaveDataInSavedGames[] = "「保存したゲーム」に作成した「%s\\%s」フォルダ";

// Debug lines of the Game Explorer lookup (OutputDebugStringW, UTF-16; a
// line feed is added to each).
inline constexpr wchar_t DbgLocatorNotCreated[] = L"Error CoCreating IWbemLocator. 0x%x";
inline constexpr wchar_t DbgNamespaceText[] = L"Error allocating namespace BSTR.";
inline constexpr wchar_t DbgCannotConnect[] =
    L"Could not connect to Game WMI namespace.  Error Code = 0x%x";
inline constexpr wchar_t DbgProxyBlanket[] = L"Could not set proxy blanket.  Error Code 0x%x";
inline constexpr wchar_t DbgQueryTypeText[] = L"Error: Could not allocate BSTR for QueryType.";
// Also written when the query itself fails.
inline constexpr wchar_t DbgQueryText[] = L"Error: Could not allocate BSTR for Query.";
inline constexpr wchar_t DbgEnumeratorFailure[] = L"Failure in Enumerator: Error 0x%x";
inline constexpr wchar_t DbgNoGameName[] = L"Failure getting game name for this game.";
inline constexpr wchar_t DbgNoInstanceId[] = L"Failure getting game instance ID for this game.";
inline constexpr wchar_t DbgNoInstallScope[] = L"Failure getting game install scope for this game.";
inline constexpr wchar_t DbgGameRead[] = L"Game: %s, %s, %u";

// The source check.
inline constexpr char MsgAddFileMissing[] = "SETUP.INI : InstallAddFiles : \"%s\" ファイルが見つかりません";
inline constexpr char MsgListFileMissing[] = "SETUP.INI : InstallFiles%i : \"%s\" ファイルが見つかりません";

// The copy start.
inline constexpr char MsgSaveDataFolderInvalid[] = "指定されたセーブデータの保存先が無効です。";
inline constexpr char MsgCheckingDiskSpace[] = "インストール先のディスク容量をチェックしています";
inline constexpr char MsgCannotCreateFolder[] = "「%s」が作成できません";
inline constexpr char MsgNotEnoughSpace[] = "ディスク容量が足りません";
inline constexpr char MsgFreeSpaceUnknown[] = "インストール先のディスク容量が確認できません";
inline constexpr char MsgCopying[] = "ファイルをコピー中";
inline constexpr char MsgCannotStartCopy[] = "ファイルのコピーを開始できません";
inline constexpr char TextWholeInstallation[] = "インストール全体";
inline constexpr char LogCopyStart[] = "ファイルコピー:開始";

// The copy worker.
inline constexpr char MsgInsertDisc[] = "「%s」ディスク %i を入れて下さい";
inline constexpr char CopyingTextFormat[] = "%s → %s";
inline constexpr char LogEntryStart[] = "ファイルコピー:開始:%s";
inline constexpr char LogEntryEnd[] = "ファイルコピー:終了:%s";
