#pragma once

#include <QByteArray>
#include <QString>

#include "vornrecord.h"

// One effect of a layer style as the style commands store it: its UID (the
// kind of effect), its settings block and its enabled flag.
// Record: UID (string), settings (byte array), enabled (int, 0 or 1; any
// non-zero value reads as true).
// A plain value: copied freely, usable on any thread.
struct KXStyleEffect
{
    QString uid;
    QByteArray data;
    bool enabled = false;

    template <class Io> bool Fields(Io& io) { return io(uid, data, VornAsInt(enabled)); }
};
