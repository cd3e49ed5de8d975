#pragma once

#include <QString>

#include <functional>

// What choosing the translation table's place asks of the file system. Tests replace it: they run as
// root, where permissions do not stop a write.
struct FolderProbe
{
    std::function<bool(const QString &file)> exists;   // a file of that name exists
    std::function<bool(const QString &path)> writable; // that file or folder may be written
};

// The probe that asks the file system.
FolderProbe SystemFolderProbe();

// Where the translation table is read from at start-up, and where every save of it goes.
struct TablePlace
{
    QString readFrom;
    QString writeTo;
    bool operator==(const TablePlace &) const = default;
};

// Chooses the table's place from the program folder, the shipped data folder of an installed program
// and the per-user settings folder (each ending in '/'):
// - the program folder holds a writable table, or is writable itself while no shipped table exists
//   (a build folder, a portable copy): the table beside the program, read and saved there;
// - otherwise (installed): saved in the settings folder, and read from there once that copy exists;
//   before that read from a table beside the program if there is one, else from the shipped table.
TablePlace ChooseTablePlace(const QString &programDir,
                            const QString &sharedDir,
                            const QString &userDir,
                            const FolderProbe &probe);

// The shipped data folder of a program in programDir (ending in '/'): share/kuvertino/ beside the
// program's bin folder, as the install rules lay it out.
QString SharedDataFolder(const QString &programDir);

// The table's place for a program in programDir, with this user's settings folder and the current
// probe.
TablePlace TranslationTablePlace(const QString &programDir);
// The file a save of the table writes; creates the settings folder when the save goes there.
QString TranslationTableForWriting(const QString &programDir);

// Tests: replaces the probe TranslationTablePlace uses; an empty probe brings back the system's.
void SetFolderProbeForTests(FolderProbe probe);
