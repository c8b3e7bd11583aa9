#pragma once

#include "library/WorkspaceSession.h"

#include <QByteArray>

namespace brivello {

// Writes the snapshot document as compact JSON straight into bytes: several times faster than
// building a QJsonDocument, which matters because the immediate save runs on the main thread.
// Reentrant; the background save runs it on a pool thread.
class WorkspaceSessionWriter
{
public:
    static QByteArray write(const WorkspaceSession &session);

private:
    explicit WorkspaceSessionWriter(qsizetype reserve);
    void string(const QString &text);
    void key(const char *name);
    void id(const QUuid &id);
    void url(const QUrl &url);
    void track(const WorkspaceSession::SessionTrack &track);
    void tracks(const QList<WorkspaceSession::SessionTrack> &list);
    void ids(const QList<QUuid> &list);
    void urls(const QList<QUrl> &list);
    template <typename Item>
    void array(const QList<Item> &list, void (WorkspaceSessionWriter::*item)(const Item &));
    void boolean(bool value) { m_out += value ? "true" : "false"; }

    QByteArray m_out;
};

} // namespace brivello
