#pragma once

// vCard address books (versions 2.1, 3.0 and 4.0) as a record source.
//
// Reading: folded lines are unfolded (a line starting with a space or tab continues the one before,
// that one character dropped); quoted-printable values (ENCODING=QUOTED-PRINTABLE or the bare 2.1
// parameter) are decoded, soft line breaks ("=" at the end of a line) joining the next line;
// CHARSET names the encoding of a value's bytes; without it the file's encoding applies (a UTF-8
// mark or well-formed UTF-8: UTF-8, else Windows-1252). Escapes \\ \; \, \n \N are resolved;
// group prefixes (item1.ADR) are ignored; nested vCards (2.1 AGENT) are passed over.
//
// Records: each contact with a postal address (an ADR with any component filled) is one record, in
// file order; contactsWithoutAddress() counts the others. Its fields, one line each:
//   1. the name: FN, else N put together (prefix, given, additional, family, suffix);
//   2. the organisation (ORG, its parts joined by ", ") when there is one and it differs from the name;
//   3. the post-office box, the extended address and the street, each line of them a field (in 3.0
//      and 4.0 an unescaped comma in the street also starts a line);
//   4. "postal code town", with ", region" after it when a region is given;
//   5. the country, unless it is the user's own (see IsOwnCountry).
// Empty lines are left out.
//
// Address kind (the run box's choice; the number of records does not change with it):
//   Preferred: the address marked preferred (TYPE=pref, or the lowest PREF=n of 4.0), else the
//              first in the contact;
//   Work / Home: the first address of that type (the preferred among several), else as Preferred.

#include "RecordSource.h"

#include <QSet>

#include <vector>

namespace sources {

// Whether a vCard's country names the user's own country, given by the locale's territory: its name
// in English (Qt's) and in the native language of every locale of that territory, its German name
// (for the countries around Germany and a few more), its ISO 3166 codes (alpha-2, alpha-3) and its
// international vehicle code. Compared without case, dots, spaces and hyphens. A locale without a
// territory (C) has no own country.
bool IsOwnCountry(const QString &country, const QLocale &locale);
// The names IsOwnCountry compares with, normalised.
QSet<QString> OwnCountryNames(const QLocale &locale);

// Decodes quoted-printable bytes (soft line breaks removed, a bad escape kept as it is).
QByteArray DecodeQuotedPrintable(const QByteArray &bytes);

class VCardSource final : public RecordSource
{
public:
    VCardSource(const QByteArray &content, const SourceOptions &options);

    SourceError error() const { return m_error; }

    SourceFormat format() const override { return SourceFormat::VCard; }
    qsizetype recordCount() const override { return qsizetype(m_contacts.size()); }
    QStringList record(qsizetype k) const override;
    AddressKind addressKind() const override { return m_kind; }
    void setAddressKind(AddressKind kind) override { m_kind = kind; }
    qsizetype contactsWithoutAddress() const override { return m_withoutAddress; }
    QStringList contactsWithoutAddressNames() const override { return m_namesWithoutAddress; }

    struct Address
    {
        // PO box, extended, street, locality, region, postal code, country: one text, the parts
        // separated by U+FFFF (one allocation per address instead of eight).
        QString parts;
        bool work = false;
        bool home = false;
        int pref = 1000; // lower is preferred; 1000 for none
    };
    struct Contact
    {
        QString name;
        QString org;
        std::vector<Address> addresses;
    };

private:
    void parse(const QByteArray &content);
    const Address &chosen(const Contact &c) const;

    SourceOptions m_options;
    SourceError m_error;
    std::vector<Contact> m_contacts; // those with a postal address
    QSet<QString> m_ownCountry;
    qsizetype m_withoutAddress = 0;
    QStringList m_namesWithoutAddress;
    AddressKind m_kind = AddressKind::Preferred;
};

} // namespace sources
