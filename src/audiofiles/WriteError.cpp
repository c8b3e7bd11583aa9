#include "WriteError.h"

#include "platform/BrivelloLocalization.h"

namespace brivello {

WriteError::WriteError(Kind kind, QString payload)
    : m_kind(kind)
    , m_payload(std::move(payload))
{}

WriteError WriteError::withFileName(const QString &fileName) const
{
    switch (m_kind) {
    case Kind::unsupportedFormat:
    case Kind::rewriteFailed:
    case Kind::artworkVerificationFailed:
        return *this;
    default:
        return m_payload.isEmpty() ? WriteError(m_kind, fileName) : *this;
    }
}

QString WriteError::errorDescription() const
{
    const char *key = "";
    switch (m_kind) {
    case Kind::unsupportedFormat:
        key = "Linux не может безопасно перезаписать теги в формате .%@.";
        break;
    case Kind::rewriteFailed:
        key = "Не удалось сохранить теги в формате .%@. Для MP3 используется прямое "
              "ID3‑сохранение; другие контейнеры могут быть доступны только для чтения.";
        break;
    case Kind::artworkVerificationFailed:
        key = "Файл %@ был перезаписан, но новая обложка не прошла проверку.";
        break;
    case Kind::corruptFile:
        key = "Файл «%@» повреждён: его структура не совпадает с указанными в нём размерами.";
        break;
    case Kind::nothingToWrite:
        key = "Не удалось записать файл «%@».";
        break;
    case Kind::fileNotFound:
        key = "Файл «%@» не найден.";
        break;
    case Kind::permissionDenied:
        key = "Нет прав на запись файла «%@».";
        break;
    case Kind::noSpace:
        key = "Недостаточно места на диске, чтобы сохранить «%@».";
        break;
    case Kind::tooLarge:
        key = "Теги или обложка слишком велики для файла «%@».";
        break;
    case Kind::ioFailed:
        key = "Ошибка чтения или записи файла «%@».";
        break;
    }
    return BrivelloLocalization::format(QString::fromUtf8(key), m_payload);
}

} // namespace brivello
