#pragma once
// How the report prints remittance numbers: three digits ("ZZ9") for the one company whose
// normalised tax identifier asks for it, two digits ("Z9") otherwise. Set once by the main
// sequence from the company details.
inline bool LongRemittanceNumbers = false;
