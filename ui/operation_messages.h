// The one message shown for each way an encryption or decryption can fail (UTF-8).
#pragma once

#include "file_cipher.h"

const char* EncryptFailureText(qz::EncryptStep step);
const char* DecryptFailureText(qz::DecryptStep step);
