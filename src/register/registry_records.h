// The install record under HKEY_CURRENT_USER (installation type, install
// folder, save-data folder, Game Explorer GUID) and the uninstall record
// under HKEY_LOCAL_MACHINE (the entry in the list of installed programs),
// and their deletion when an installation is rolled back. A key path or a
// value that does not fit its 260-byte buffer is never written cut short:
// it fails like a refused write.
#pragma once

// Writes "InstMode", the install-path value (StrKeyInstPath), "DataPath"
// and, when session.gameInstanceId is not zero, "GUIDGameExplorerInstall"
// into "Software\<CompanyName>\<GameDir>", then flushes the key. With
// managedSaveData, composing "DataPath" creates the save-data folder. True
// when every value was written and the key flushed; the first failure ends
// the record and leaves the values written so far for the rollback.
int writeInstallRecord();

// Writes "DisplayName" and "UninstallString" into
// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\<GameDir>" and
// flushes the key, then tries "EstimatedSize", "DisplayIcon" and
// "Publisher", whose failures do not count. True when both counted values
// were written and the key flushed. Nothing follows a refused "DisplayName".
int writeUninstallRecord();

// Deletes "Software\<CompanyName>\<GameDir>\System" and the install key
// under HKEY_CURRENT_USER and the uninstall key under HKEY_LOCAL_MACHINE,
// flushing each root after its keys. A key path that does not fit is
// skipped rather than cut short (a cut path could name another key). Never
// fails; a key that cannot be deleted stays.
void deleteRegistryRecords();
