#pragma once

class QDialog;
class QDialogButtonBox;
class QLineEdit;

// The OK / キャンセル row under a dialog that asks for a secret (a password, a key's passphrase):
// OK accepts and stays off while the secret is empty, キャンセル rejects; both named for tests and
// screen readers.
namespace SecretAnswerButtons {

QDialogButtonBox *create(QDialog &dialog, QLineEdit &secret);

} // namespace SecretAnswerButtons
