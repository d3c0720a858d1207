template <class T> struct Tr { void f() {} };
template <> struct Tr<int> { void g() {} };
template <> int tmax<int>(int a, int b) { return a; }
template <> class Box<std::vector<int>> : public Base { int v; };
template <> struct Hash<Key> final { std::size_t operator()(const Key& k) const { return 0; } };
template <> void Tr<char>::f() {}
template <> template <class U> void Outer<int>::Inner<U>::go() {}
template <> struct Tr<long>;
template <class T> struct Tr<T*> { void p() {} };
