#pragma once

#include "transfer/remotedate.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

// One entry of a remote folder as the listing gave it. The name stays the bytes the server
// sent, so every later command about the entry names exactly the file the user saw.
struct RemoteItem
{
    QByteArray name;
    QString displayName; // the name decoded for the screen
    RemoteDate date;
    qint64 size = 0;
    QString attributes; // the listing's first token ("drwxr-xr-x"), or "<DIR>" in MS-DOS form
    bool folder = false;
    QString linkTarget; // where a symbolic link points; empty for everything else

    // A Unix listing marks a symbolic link by its type letter, with or without "-> target".
    bool isLink() const { return attributes.startsWith(QLatin1Char('l')); }
};

// The entries of a listing. Implicitly shared, so handing a long listing from the worker thread
// to the window copies nothing.
using RemoteItems = QList<RemoteItem>;

// A remote folder read whole: where the server says the user stands and what it holds.
struct RemoteFolder
{
    QByteArray path; // as PWD reported it
    RemoteItems items;
};

Q_DECLARE_METATYPE(RemoteFolder)
