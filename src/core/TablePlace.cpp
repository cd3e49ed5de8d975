#include "core/TablePlace.h"

#include "core/ProgramDir.h"

#include <QFileInfo>

#ifndef KUVERTINO_SHARED_DATA_FROM_BIN
#define KUVERTINO_SHARED_DATA_FROM_BIN "../share/kuvertino"
#endif

namespace {

const QString TableName = QStringLiteral("translate.dat");

FolderProbe &probeForTests()
{
    static FolderProbe probe;
    return probe;
}

} // namespace

FolderProbe SystemFolderProbe()
{
    // QFileInfo asks access(2), so a read-only mount counts as not writable even for root.
    return {[](const QString &file) { return QFileInfo(file).isFile(); },
            [](const QString &path) { return QFileInfo(path).isWritable(); }};
}

TablePlace ChooseTablePlace(const QString &programDir,
                            const QString &sharedDir,
                            const QString &userDir,
                            const FolderProbe &probe)
{
    const QString besideProgram = programDir + TableName;
    const QString shipped = sharedDir + TableName;
    const bool hasOwnTable = probe.exists(besideProgram);
    // A writable bin folder of an installed program (root, or an install into the user's home) is
    // still no place for data: the shipped table beside it says the program is installed.
    const bool keepsDataBeside = hasOwnTable ? probe.writable(besideProgram) || probe.writable(programDir)
                                             : probe.writable(programDir) && !probe.exists(shipped);
    if (keepsDataBeside)
        return {besideProgram, besideProgram};
    const QString userCopy = userDir + TableName;
    if (probe.exists(userCopy))
        return {userCopy, userCopy};
    return {hasOwnTable ? besideProgram : shipped, userCopy};
}

QString SharedDataFolder(const QString &programDir)
{
    // Left unresolved: ".." goes up from where the program really lies, also through a symbolic link.
    return programDir + QStringLiteral(KUVERTINO_SHARED_DATA_FROM_BIN "/");
}

TablePlace TranslationTablePlace(const QString &programDir)
{
    const FolderProbe &override = probeForTests();
    return ChooseTablePlace(programDir,
                            SharedDataFolder(programDir),
                            SettingsFolderFrom(UserDataLocation(), programDir),
                            override.exists && override.writable ? override : SystemFolderProbe());
}

QString TranslationTableForWriting(const QString &programDir)
{
    const QString file = TranslationTablePlace(programDir).writeTo;
    if (file != programDir + TableName)
        CreateFolderPath(QFileInfo(file).path());
    return file;
}

void SetFolderProbeForTests(FolderProbe probe)
{
    probeForTests() = std::move(probe);
}
