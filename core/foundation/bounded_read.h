#pragma once

#include <QByteArray>
#include <QtGlobal>

class QIODevice;

// What `device` holds from its position on, at most `limit` bytes. The buffer
// grows with what is really read, from `expected` (the size the caller saw,
// if any), so a small file costs a small buffer however large the limit:
// QIODevice::read(maxSize) sets aside all maxSize bytes before it reads.
QByteArray readAtMost(QIODevice &device, qint64 limit, qint64 expected = 0);
