template <class T> union float_t;
template <>
union float_t<float> {
    float f;
    int negative() const { return f < 0; }
};
template <class D> union storage<D> {};
template <class D, class T1, class... T> union storage<D, T1, T...> {
    T1 first_;
    ~storage() {}
};
union alignas(8) Aligned { int a; };
union Plain { int a; float b; };
union { int x; } anonymous;
union Plain value;
union Plain* pointer;
union Bad : Base { int a; };
union Broken<int { int a; };
