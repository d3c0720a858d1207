class Shop {
    const std::string p_;
    const Foo<int>* ptr_;
    static int liveCount_;
    mutable std::mutex lock_;
    virtual int area() const = 0;
    Money operator+(const Money&) const;
};
int Shop::liveCount_ = 0;
const std::string Shop::kName = "shop";
Money Money::operator+(const Money& o) const { return o; }
template <class T> T Box<T>::value_ = T();
