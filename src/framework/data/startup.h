#pragma once
// Start-up and shutdown of the data module: the texts they show and the
// small rules they follow. The sequence itself is TBaseDM::Startup and
// TBaseDM::Shutdown (startup.cpp).

#include <QString>

namespace startup {

// The configuration key that holds the schema version of the database.
inline constexpr int VersionKeyId = 101;
// A database without a (numeric) version counts as this version.
inline constexpr int BaseVersion = 10000;

// The settings keys of the clean-exit guard (root section).
inline constexpr const char *AutoBackupKey = "AutoBackup";
inline constexpr const char *StartupSeedKey = "StartupSeed";
inline constexpr const char *ShutdownSeedKey = "ShutdownSeed";

// The largest seed the guard draws (2^31 - 2).
inline constexpr int MaxSeed = 2147483646;

// The question asked when the previous run did not end cleanly.
QString UncleanExitQuestion();
// What the user is told when he asked for the restore and there is no
// automatic archive of the previous session to restore from.
QString NoSessionBackupText();
// The text of the boxes "Грешка: 401" and "Грешка: 402".
QString UpdateFailedText();
// The box of an unreachable server or database (its text is
// TBaseDM::ServerNotFoundText with the host and the database file).
inline const QString ServerNotFoundCaption = QStringLiteral("Грешка: 001");
inline const QString UpdateFailedCaption = QStringLiteral("Грешка: 401");
inline const QString RightsFailedCaption = QStringLiteral("Грешка: 402");

// The stored version of the database from the text of key 101: an empty or
// non-numeric text counts as BaseVersion.
int ParseStoredVersion(const QString &text);

// The new "StartupSeed": the pseudo-random generator seeded with the
// previous start's seed draws a value from 0 to MaxSeed. A value equal to
// the stored "ShutdownSeed" is drawn again, so that a run that does not end
// cleanly always leaves the two different.
int NextStartupSeed(int startupSeed, int shutdownSeed);

// Copies a file, replacing target when it exists. The copy is written
// beside target and renamed over it, so a failed copy leaves an older target
// whole. Answers whether target now holds a copy of source.
bool ReplaceFileCopy(const QString &source, const QString &target);

// Writes a line to standard error (UTF-8): the server's own reasons beside
// the boxes the user sees.
void LogError(const QString &text);

}  // namespace startup
