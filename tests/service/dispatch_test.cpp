// The main-thread dispatch and the events: work handed over by other
// threads runs on the main thread one piece at a time; a caller that stops
// waiting finds the reply later by the task's id; bounds hold.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/os/application.h"
#include "tools/qdm_service/dispatcher.h"
#include "tools/qdm_service/events.h"

namespace qdm_service {
namespace {

using namespace std::chrono_literals;

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::Application().SetMainThread(); }
};

TEST_F(DispatchTest, WorkFromAWorkerRunsOnTheMainThreadAndAnswersIt) {
  Dispatcher dispatcher;
  std::atomic<bool> on_main{false};
  std::shared_ptr<Task> task;
  std::thread worker([&] {
    task = dispatcher.Submit("estado", [&] {
      on_main = platform::Application().InMainThread();
      return JsonReply(200, {{"ok", true}});
    });
  });
  worker.join();
  EXPECT_EQ(task->state(), Task::State::Queued);
  EXPECT_FALSE(task->WaitDone(0ms));
  EXPECT_TRUE(dispatcher.RunOne());
  EXPECT_FALSE(dispatcher.RunOne());
  EXPECT_TRUE(task->WaitDone(0ms));
  EXPECT_TRUE(on_main);
  EXPECT_EQ(task->reply().status, 200);
  EXPECT_EQ(dispatcher.Find(task->id()), task);
  EXPECT_EQ(task->id().size(), 32u);
}

TEST_F(DispatchTest, ACallerThatStopsWaitingLeavesTheReplyToItsTask) {
  Dispatcher dispatcher;
  std::vector<std::string> finished;
  dispatcher.OnDetachedFinished([&](const Task& t) { finished.push_back(t.id()); });
  auto slow = dispatcher.Submit("leitura_x", [] { return JsonReply(200, {{"operacao", "leitura_x"}}); });
  auto quick = dispatcher.Submit("estado", [] { return JsonReply(200, {}); });
  EXPECT_TRUE(slow->Detach());  // the worker's wait ran out: it answered 202
  dispatcher.RunOne();
  dispatcher.RunOne();
  EXPECT_FALSE(quick->Detach());  // ended meanwhile: its worker answers the reply itself
  EXPECT_EQ(finished, std::vector<std::string>{slow->id()});
  EXPECT_EQ(dispatcher.Find(slow->id())->reply().body, slow->reply().body);
}

TEST_F(DispatchTest, WorkFailingAnswersItsProblem) {
  Dispatcher dispatcher;
  auto refused = dispatcher.Submit("x", []() -> Reply { Fail("cupom_aberto", "Cupom aberto"); });
  auto broken = dispatcher.Submit("y", []() -> Reply { throw std::runtime_error("boom"); });
  dispatcher.RunOne();
  dispatcher.RunOne();
  EXPECT_EQ(refused->reply().status, 409);
  EXPECT_EQ(refused->reply().content_type, "application/problem+json");
  EXPECT_EQ(broken->reply().status, 500);
}

TEST_F(DispatchTest, AFullQueueAndAStoppingServiceRefuseWithTheirProblem) {
  Dispatcher::Limits limits;
  limits.max_queued = 2;
  Dispatcher dispatcher(limits);
  auto first = dispatcher.Submit("a", [] { return Reply{}; });
  dispatcher.Submit("b", [] { return Reply{}; });
  try {
    dispatcher.Submit("c", [] { return Reply{}; });
    FAIL() << "a third piece of work was queued";
  } catch (const ProblemError& e) {
    EXPECT_EQ(e.problem().codigo, "servico_ocupado");
  }
  dispatcher.Stop();
  EXPECT_TRUE(first->WaitDone(0ms));
  EXPECT_EQ(first->reply().status, 503);
  EXPECT_FALSE(dispatcher.RunOne());
  EXPECT_THROW(dispatcher.Submit("d", [] { return Reply{}; }), ProblemError);
}

TEST_F(DispatchTest, FinishedTasksAreKeptWithinTheirBound) {
  Dispatcher::Limits limits;
  limits.max_kept = 3;
  Dispatcher dispatcher(limits);
  std::vector<std::shared_ptr<Task>> tasks;
  for (int i = 0; i < 6; ++i) {
    tasks.push_back(dispatcher.Submit("t", [] { return Reply{}; }));
    dispatcher.RunOne();
  }
  EXPECT_EQ(dispatcher.Find(tasks.front()->id()), nullptr);
  EXPECT_EQ(dispatcher.Find(tasks.back()->id()), tasks.back());
  EXPECT_EQ(dispatcher.Find("0123456789abcdef0123456789abcdef"), nullptr);
}

TEST(EventHubTest, ListenersGetEventsInOrderAndWhatTheyMissed) {
  EventHub hub;
  auto early = hub.Listen();
  hub.Publish("leitura", {{"valor", "789"}});
  hub.Publish("impressora", {{"pronta", true}});
  auto first = early->Next(0ms);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->type, "leitura");
  EXPECT_EQ(first->Wire(), "id: 1\nevent: leitura\ndata: {\"valor\":\"789\"}\n\n");
  // A listener coming back after event 1 gets event 2 first.
  auto back = hub.Listen(1);
  auto missed = back->Next(0ms);
  ASSERT_TRUE(missed);
  EXPECT_EQ(missed->id, 2u);
  EXPECT_FALSE(back->Next(0ms));
}

TEST(EventHubTest, BoundsHoldAndClosingEndsEveryListener) {
  EventHub::Limits limits;
  limits.max_listeners = 1;
  limits.backlog = 2;
  EventHub hub(limits);
  auto listener = hub.Listen();
  EXPECT_THROW(hub.Listen(), ProblemError);
  for (int i = 0; i < 5; ++i) hub.Publish("tarefa", {{"n", i}});
  EXPECT_EQ(listener->Next(0ms)->id, 4u);  // the oldest went; the numbers show the gap
  std::thread closer([&] { hub.Close(); });
  listener->Next(0ms);
  EXPECT_FALSE(listener->Next(5s));  // woken by the close, not the bound
  closer.join();
  EXPECT_TRUE(listener->closed());
  hub.Leave(listener);
  EXPECT_EQ(hub.listeners(), 0u);
}

}  // namespace
}  // namespace qdm_service
