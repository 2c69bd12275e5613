// TDList: the engine's doubly linked list, and NamedIndex, the entry of the effector name buckets.
#pragma once

#include <new>

#include "krstring.h"

template <class T>
class TDListNode {
  public:
    TDListNode() : item(), next(nullptr), prev(nullptr) {}
    virtual ~TDListNode() {}
    T item;
    TDListNode* next;
    TDListNode* prev;
};

template <class T>
class TDList {
  public:
    typedef TDListNode<T> Node;

    TDList() : head_(nullptr), tail_(nullptr), count_(0) {}
    virtual ~TDList() { RemoveAll(); }
    TDList(const TDList&) = delete;
    TDList& operator=(const TDList&) = delete;

    void Append(const T& item) {
        void* raw = krMalloc(sizeof(Node));
        if (raw == nullptr) {
            GLog.printf("WARNING: Failed to allocate %i bytes for new node in doubly linked list",
                        static_cast<int>(sizeof(Node)));
            kr_foundation::EndProcess();
        }
        Node* node = new (raw) Node();
        if (head_ == nullptr) {
            head_ = node;
        } else {
            tail_->next = node;
            node->prev = tail_;
        }
        tail_ = node;
        node->item = item;
        ++count_;
    }

    void Remove(Node* node) {
        if (node == nullptr) {
            return;
        }
        if (node->prev != nullptr) {
            node->prev->next = node->next;
        } else {
            head_ = node->next;
        }
        if (node->next != nullptr) {
            node->next->prev = node->prev;
        } else {
            tail_ = node->prev;
        }
        node->~Node();
        krFree(node);
        --count_;
    }

    void RemoveAll() {
        while (head_ != nullptr) {
            Remove(head_);
        }
    }

    Node* Head() const { return head_; }
    Node* Tail() const { return tail_; }
    int Count() const { return count_; }

  private:
    Node* head_;
    Node* tail_;
    int count_;
};

struct NamedIndex {
    NamedIndex() : name(), index(0) {}
    NamedIndex(const KrStringT<char>& n, int i) : name(n), index(i) {}
    KrStringT<char> name;
    int index;
};
