template <class T> class Box {
    T value;
};
template <> class Box<int> {
    int value;
};
export template <class T> class Exported;
template <class T, class U = Pair<T, U> > struct Duo {
};
template <typename T> T largest(T a, T b);
template <class T>
