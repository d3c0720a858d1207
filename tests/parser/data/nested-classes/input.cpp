class Outer {
    bool operator==(const Outer& other) const;
    class Inner {
        struct Leaf {
            int operator-() const;
        };
    };
public:
    struct Fwd forward;
    union {
        int i;
        float f;
    };
};
struct Open {
    bool operator<(const Open&) const;
};
