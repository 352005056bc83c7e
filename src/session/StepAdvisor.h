// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Cancellation.h"
#include "core/CapturedWindow.h"
#include "core/GuideElement.h"
#include "core/Result.h"
#include "core/Step.h"
#include "model_client/ChatRequest.h"
#include "model_client/Provider.h"
#include "session/Advice.h"

#include <QObject>
#include <QThreadPool>

#include <functional>

#include <QCoro/QCoroTask>

class ModelDiscovery;
class ModelServerPort;

/// Asks the model which element to use next: plans a prompt that fits the model's context
/// (with the picture for models that read images), sends it, and reads the reply into an
/// `Advice`. Changes nothing of the session; the session applies what it returns. Lives on the
/// main thread; encoding and reading run on the given pool.
class StepAdvisor : public QObject
{
    Q_OBJECT
public:
    /// What the model is asked about.
    struct Question
    {
        QString goal;
        QList<Step> steps;
        QList<GuideElement> elements;
        CapturedWindow window;
        Provider provider = Provider::ollama;
        QString model;
    };

    /// A request ready to send, with what it leaves out said in `note`.
    struct Prepared
    {
        ChatRequest request;
        /// The elements in the prompt, with their numbers.
        QList<GuideElement> sent;
        /// The context the request was planned for, in tokens.
        qint64 context = 0;
        QString note;
    };

    StepAdvisor(ModelServerPort& server, ModelDiscovery& discovery, QThreadPool& workers,
                QObject* parent = nullptr);

    /// The request for `question`, or why none fits the model (a status text). An advisor
    /// destroyed meanwhile gives a failure nobody reads.
    ///
    /// Arguments are taken by reference (GCC 12 destroys by-value coroutine parameters of
    /// class type twice): callers await the call at once, keeping them alive.
    QCoro::Task<Result<Prepared>> prepare(const Question& question);

    /// The start of an answer still being generated: the element the model names, and its
    /// sentence as far as it goes (bounded).
    struct Preview
    {
        GuideElement element;
        QString explanation;
    };
    using PreviewSeen = std::function<void(const Preview& preview)>;

    /// Sends `prepared` and reads the reply. While the reply streams in, `previewSeen` (when
    /// set) hears each new start of it that names a listed element. `cancellation` ends the
    /// request at once.
    QCoro::Task<Advice> ask(const Prepared& prepared, const Cancellation& cancellation,
                            const PreviewSeen& previewSeen);

    /// What a reply text comes to, against the elements that were sent. Pure.
    static Advice read(const QString& reply, const QList<GuideElement>& sent);

private:
    QCoro::Task<std::optional<QString>> jpegOf(const CapturedWindow& window, int width);

    ModelServerPort& m_server;
    ModelDiscovery& m_discovery;
    QThreadPool& m_workers;
};
