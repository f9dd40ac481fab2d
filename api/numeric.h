// Random numbers for take and file numbering, random colours, and zero-padded numbers.
#pragma once

namespace mx_api::numeric {

// Both ends included; a range given high-to-low is drawn from the swapped range.
bool GetRandomNumInteger(int low, int high, int* out);
// At most doubleType decimal places, between the bounds truncated to that many places.
bool GetRandomNumDouble(double low, double high, int doubleType, double* out);
bool GetRandomColor(int* colorOut, int* rOut, int* gOut, int* bOut);
// Zero-pads num to `digit` digits; a minus sign comes on top of the digit count.
bool FormatNumDigit(int num, int digit, char* out, int size);

}  // namespace mx_api::numeric
