class Account {
    int balance;
    bool operator==(const Account& other) const;
public:
    Account& operator=(const Account&);
    int operator()(int a, int b);
    const int& operator[](int index) const;
    void* operator new[](unsigned long size);
    void operator delete(void* p);
    operator int() const;
    friend Account operator+(Account a, Account b);
protected:
    class Mark tag;
private
    : struct Note note;
};
struct Plain {
public:
    bool operator!() const;
};
