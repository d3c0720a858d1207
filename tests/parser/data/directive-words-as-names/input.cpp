namespace error { void line() {} }
void f() { obj.error(); include(1); pragma = defined; }
struct define { int undef; int ifdef; };
int elif(int endif) { return endif; }
#define X 1
#if defined(X) && X
int inside;
#endif
# line 40
#pragma once
