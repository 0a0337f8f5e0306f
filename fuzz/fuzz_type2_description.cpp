// A machine description file of type 2 (a versioned XML text), read for
// the machine id of its first BODY that has a MACUID. Besides surviving any
// file, the scan must agree with a document tree built by the same XML
// reader: the same depth and the same machine id for every document the
// tree accepts.
#include "FuzzSupport.h"
#include "LauncherFuzzSupport.h"
#include "records/QMacXml.h"
#include "records/QProject.h"

#include <QDataStream>
#include <QDomDocument>
#include <QXmlStreamReader>

#include <utility>
#include <vector>

namespace {

// Deepest element level of a tree, walked without recursion.
int treeDepth(const QDomNode &root)
{
    int deepest = 0;
    std::vector<std::pair<QDomNode, int>> pending{{root, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        for (QDomElement child = node.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
            pending.emplace_back(child, depth + 1);
    }
    return deepest;
}

int treeMachineId(const QDomDocument &document)
{
    const QDomNodeList bodies = document.elementsByTagName(QStringLiteral("BODY"));
    for (int i = 0; i < bodies.count(); ++i) {
        const QDomElement id = bodies.at(i).firstChildElement(QStringLiteral("MACUID"));
        if (!id.isNull())
            return id.text().toInt(nullptr, 10);
    }
    return 0;
}

void checkAgainstTree(const QString &xml)
{
    const MachineXmlScan scan = scanMachineXml(xml);
    // A scan stopped beyond the bound is the one case a tree is not built for.
    if (scan.deepest > maxXmlElementDepth) {
        if (scan.readable || scan.deepest != maxXmlElementDepth + 1)
            FuzzSupport::Fail("scan went on beyond the depth bound");
        return;
    }
    QXmlStreamReader reader(xml);
    reader.setNamespaceProcessing(false);
    QDomDocument document;
    const bool treeRead = document.setContent(&reader, false);
    if (treeRead && !scan.readable)
        FuzzSupport::Fail("scan refused a document the tree reads");
    if (treeRead && scan.deepest != treeDepth(document))
        FuzzSupport::Fail("scan and tree disagree on the depth");
    if (treeRead && scan.machineId != treeMachineId(document))
        FuzzSupport::Fail("scan and tree disagree on the machine id");
    // Only an XML declaration of a later 1.x version is read by the scan alone.
    if (!treeRead && scan.readable && !xml.startsWith(QLatin1String("<?xml")))
        FuzzSupport::Fail("scan read a document the tree refuses");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::EnsureApplication();
    InstallSilentLauncherMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::WriteInputFile(data, size, QStringLiteral("machine.xml.mac"));
    QProject project;
    project.readMacXmlFile(path);

    QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_4_8);
    qint32 version = 0;
    QString xml;
    stream >> version >> xml;
    if (stream.status() == QDataStream::Ok && version == QMacXml::classVersion)
        checkAgainstTree(xml);
    return 0;
}
