#pragma once

#include <QChar>

namespace lettergate {

// The outcome of a validating settings setter: the value was stored, or why not.
class KeyValidation {
public:
    enum class Kind {
        Ok,          // accepted and stored
        NotALetter,  // a supplied key or letter is not one ASCII letter
        NotDistinct, // two list keys, or two apps' letters, would be equal
        Conflict,    // the letter is already taken by the other family (see letter())
    };

    static constexpr KeyValidation ok() { return KeyValidation(Kind::Ok); }
    static constexpr KeyValidation notALetter() { return KeyValidation(Kind::NotALetter); }
    static constexpr KeyValidation notDistinct() { return KeyValidation(Kind::NotDistinct); }
    // `letter` is lower case, so the view can name it as the user would type it.
    static constexpr KeyValidation conflict(QChar letter) { return KeyValidation(Kind::Conflict, letter); }

    constexpr Kind kind() const { return m_kind; }
    constexpr bool isOk() const { return m_kind == Kind::Ok; }
    // The colliding letter of a conflict; the null character otherwise.
    constexpr QChar letter() const { return m_letter; }

    friend constexpr bool operator==(const KeyValidation &, const KeyValidation &) = default;

private:
    constexpr explicit KeyValidation(Kind kind, QChar letter = {})
        : m_kind(kind)
        , m_letter(letter)
    {
    }

    Kind m_kind;
    QChar m_letter;
};

} // namespace lettergate
