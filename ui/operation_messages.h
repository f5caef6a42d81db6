// The one message shown for each way an encryption or decryption can fail (UTF-8).
#pragma once

#include <string>

#include "qz/file_cipher.h"

const char* EncryptFailureText(qz::EncryptStep step);
// Templates: kWorkFactorTooLarge holds "%d" for the work factor the file asks for.
const char* DecryptFailureText(qz::DecryptStep step);
// The decryption's message with its detail filled in: workFactor is what
// CipherOptions::workFactorFound told.
std::string DecryptFailureMessage(qz::DecryptStep step, int workFactor);
