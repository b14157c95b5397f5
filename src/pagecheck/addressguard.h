#pragma once

#include <QHostAddress>
#include <QList>

// Which addresses a check of a site's external links may connect to. Never this computer, the
// home or office network, link-local or other special ranges: a link on a page must not make the
// program knock on the user's router or on services of their own machine. The one exception is
// the site's own server when it stands there (a test server on this PC, an intranet): its
// addresses, resolved from the site's transfer settings, are allowed.
class AddressGuard
{
public:
    explicit AddressGuard(QList<QHostAddress> siteAddresses = {}) : m_site(std::move(siteAddresses)) {}

    bool allows(const QHostAddress &address) const;
    // An address anyone on the internet reaches alike: none of the ranges above.
    static bool isPublic(const QHostAddress &address);

private:
    QList<QHostAddress> m_site;
};
