#pragma once

#include "core/SettingsFile.h"

#include <QObject>

// The envelope being designed and the address list, as the windows show and edit them: each
// window writes what the user changes here and follows the signals. Files read and write the
// contents whole; a run reads the envelope from here and appends to the list.
class TEnvelopeDocument : public QObject
{
    Q_OBJECT
public:
    explicit TEnvelopeDocument(QObject *parent = nullptr);

    const EnvelopeValue &envelope() const { return m_contents; }
    const QStringList &addresses() const { return m_contents.addresses; }
    bool keepListOpen() const { return m_contents.keepListOpen; }
    // Everything a settings file stores, for writing it.
    const TEnvelopeSettings &contents() const { return m_contents; }

    // Each signals envelopeChanged when the envelope differs afterwards.
    void setEnvelope(const EnvelopeValue &envelope);
    template<typename T>
    void set(T EnvelopeValue::*field, const T &value)
    {
        if (m_contents.*field == value)
            return;
        m_contents.*field = value;
        emit envelopeChanged();
    }

    void setAddresses(const QStringList &addresses);
    void appendAddress(const QString &address);
    void setKeepListOpen(bool keep) { m_contents.keepListOpen = keep; }

    // Takes the fields a read got (a cut file changes only those it held whole).
    void apply(const TSettingsReadResult &read);

    // A length the window shows, in millimetres: from inches in inch mode, the product formed in
    // extended precision and rounded once.
    static double Millimetres(double shown, bool inchMode);

signals:
    void envelopeChanged();
    // The whole list was replaced.
    void addressesReset();
    // One address was appended at the end.
    void addressAppended(const QString &address);

private:
    TEnvelopeSettings m_contents;
};
