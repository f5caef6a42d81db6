// The encryption dialog's words for what a password is worth: its strength, and the time
// the attacker of qzops::JudgePassword needs for the kind of file chosen.
#pragma once

#include <string>

#include "password_verdict.h"

// The line under the fields; empty is the field left empty.
std::string StrengthLine(const qzops::PasswordVerdict& verdict, bool strongFile, bool empty);
// The strength and time for the question before a weak password is used ("很弱，几秒内可被猜中").
std::string StrengthWords(const qzops::PasswordVerdict& verdict);
