template <class T = A<B<C>>>> class Extra { void e() {} };
template <class T = A<B>>= 1> class Eq { void q() {} };
X<Y<int>>= z;
[[nodiscard int broken();
void after1() {}
__attribute__((unused) static void unclosedParen(int a) { if (a) {} }
void after2() {}
alignas(8 struct Never {};
void after3() {}
