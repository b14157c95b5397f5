#include "transfer/credentialstore.h"

void CredentialStore::deliver(QObject *context, Callback callback, const CredentialAnswer &answer)
{
    if (!context || !callback)
        return;
    QMetaObject::invokeMethod(
        context, [callback = std::move(callback), answer] { callback(answer); }, Qt::QueuedConnection);
}
