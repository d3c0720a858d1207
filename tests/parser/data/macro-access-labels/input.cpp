class Json {
JSON_PRIVATE_UNLESS_TESTED:
    void assert_invariant() const {}
    int m_value;
public:
    int size() const { return 0; }
LIB_PROTECTED_LABEL:
    void hook() {}
};
class Signals {
Q_SIGNALS: void changed(int value);
private:
    int hidden;
EXPORT_SECTION:
    void stays() {}
};
struct Bits {
    FLAG_TYPE : 4;
    FLAG_TYPE : WIDTH;
    FLAG_TYPE : (2 + 1);
    unsigned int mode : 3;
};
