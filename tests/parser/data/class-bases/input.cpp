class Shape : public Base {
};
class Circle : public Holder<T> {
};
class Pair : public First<T>, public Second {
};
struct Node : virtual Base {
};
class Mixed : public A, protected ns::B, private C, virtual public D, E {
};
struct Plain : A, B<int> {
};
class Later : public Outer<Inner<T> > public After {
};
class X;
class WORD Name;
struct tm when;
class EXPORT Widget : public Base {
};
