#
#include "a.h"
#include <vector>
#include MACRO
#include "a.h" extra
#define X 1
#undef X
#if A > 1
#ifdef X
#ifndef Y
#elif B
#else
#endif
#line 5
#pragma once
#error stop here
#warning not known
#define LONG(a) \
    (a + 1)
class C {
#ifdef INSIDE
    int member;
#endif
};
